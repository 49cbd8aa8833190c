# The files the program looks for beside itself: the sample workbooks in
# "Samples" and the drag pointer "drag.ico". They are copied next to the
# `kestrilo` program in the build tree, so that a freshly built program finds
# them, and installed beside it.
file(GLOB KESTRILO_SAMPLE_FILES CONFIGURE_DEPENDS
     ${CMAKE_SOURCE_DIR}/samples/*.xlsx ${CMAKE_SOURCE_DIR}/samples/*.ods
     ${CMAKE_SOURCE_DIR}/samples/*.xls ${CMAKE_SOURCE_DIR}/samples/*.csv)
set(KESTRILO_DRAG_POINTER ${CMAKE_CURRENT_LIST_DIR}/drag.ico)
add_custom_target(kestrilo_files_beside_program ALL
  COMMAND ${CMAKE_COMMAND} -E make_directory $<TARGET_FILE_DIR:kestrilo>/Samples
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${KESTRILO_SAMPLE_FILES}
          $<TARGET_FILE_DIR:kestrilo>/Samples
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${KESTRILO_DRAG_POINTER}
          $<TARGET_FILE_DIR:kestrilo>
  COMMENT "Copying the samples and drag.ico beside the program" VERBATIM)
add_dependencies(kestrilo kestrilo_files_beside_program)

install(FILES ${KESTRILO_SAMPLE_FILES}
        DESTINATION ${CMAKE_INSTALL_BINDIR}/Samples)
install(FILES ${KESTRILO_DRAG_POINTER} DESTINATION ${CMAKE_INSTALL_BINDIR})

# A look at the list filled by a folder scan; built only on request.
add_executable(file_list_preview EXCLUDE_FROM_ALL
               ${CMAKE_SOURCE_DIR}/tools/file_list_preview.cc)
target_link_libraries(file_list_preview PRIVATE kestrilo_gui)
