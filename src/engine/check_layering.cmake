# SPDX-License-Identifier: MIT
# Refuses an include that runs against the layers of the engine, as
# layers.cmake lists them: a file of a folder may include "engine/..."
# headers of its own folder and of the folders the table allows it, nothing
# else, and never Qt or a front end. The table itself must have no circle,
# so that no chain of allowed includes leads back to where it began. Run as
#   cmake -DENGINE_DIR=<src/engine> [-DLAYERS=<table>] -P check_layering.cmake
cmake_policy(SET CMP0057 NEW)  # if(... IN_LIST ...) in script mode
get_filename_component(ENGINE_DIR ${ENGINE_DIR} ABSOLUTE)
if(NOT LAYERS)
  set(LAYERS ${CMAKE_CURRENT_LIST_DIR}/layers.cmake)
endif()
include(${LAYERS})

# The table first: take away, again and again, each folder whose allowed
# folders are all taken; what can never be taken holds a circle.
set(left ${KESTRILO_ENGINE_FOLDERS})
set(taken "")
set(progress TRUE)
while(left AND progress)
  set(progress FALSE)
  foreach(folder IN LISTS left)
    set(ready TRUE)
    foreach(below IN LISTS engine_may_include_${folder})
      if(NOT below IN_LIST taken AND NOT below STREQUAL folder)
        set(ready FALSE)
      endif()
    endforeach()
    if(ready)
      list(APPEND taken ${folder})
      list(REMOVE_ITEM left ${folder})
      set(progress TRUE)
    endif()
  endforeach()
endwhile()
if(left)
  # Every folder left may include another one left: follow those steps
  # until one comes round again, and name that circle.
  list(GET left 0 folder)
  set(path "")
  while(NOT folder IN_LIST path)
    list(APPEND path ${folder})
    foreach(below IN LISTS engine_may_include_${folder})
      if(below IN_LIST left AND NOT below STREQUAL folder)
        set(folder ${below})
        break()
      endif()
    endforeach()
  endwhile()
  list(FIND path ${folder} start)
  list(SUBLIST path ${start} -1 circle)
  list(APPEND circle ${folder})
  string(REPLACE ";" " -> " circle "${circle}")
  message(FATAL_ERROR "The layers of src/engine form a circle:\n  ${circle}\n"
    "  (in ${LAYERS})")
endif()

set(problems "")
file(GLOB_RECURSE sources RELATIVE ${ENGINE_DIR}
     ${ENGINE_DIR}/*.h ${ENGINE_DIR}/*.cc)
foreach(source IN LISTS sources)
  get_filename_component(folder ${source} DIRECTORY)
  if(NOT folder IN_LIST KESTRILO_ENGINE_FOLDERS)
    string(APPEND problems "\n  ${ENGINE_DIR}/${source}: the folder "
      "'${folder}' is not in the layers table")
    continue()
  endif()
  set(allowed ${folder} ${engine_may_include_${folder}})
  file(STRINGS ${ENGINE_DIR}/${source} includes
       REGEX "^[ \t]*#[ \t]*include[ \t]+[\"<]")
  foreach(line IN LISTS includes)
    if(line MATCHES "[\"<](gui|cli)/" OR line MATCHES "<Q[A-Za-z]*[>/]")
      string(APPEND problems "\n  ${ENGINE_DIR}/${source}: ${line}; "
        "the engine includes no front end and no Qt")
    elseif(line MATCHES "\"engine/(.*)/[^/\"]+\"")
      set(target ${CMAKE_MATCH_1})
      if(NOT target IN_LIST allowed)
        string(REPLACE ";" ", " allowed_text "${allowed}")
        string(APPEND problems "\n  ${ENGINE_DIR}/${source}: ${folder} "
          "includes engine/${target}; ${folder} may include only "
          "engine/{${allowed_text}}")
      endif()
    endif()
  endforeach()
endforeach()
if(problems)
  message(FATAL_ERROR "An include runs against the layers of src/engine "
    "(${LAYERS}):${problems}")
endif()
