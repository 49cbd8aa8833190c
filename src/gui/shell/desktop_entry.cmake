# The desktop menu entry and its icon, installed where desktops look for
# them (share/applications, share/icons/hicolor).
install(FILES ${CMAKE_CURRENT_LIST_DIR}/kestrilo.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/resources/kestrilo.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
