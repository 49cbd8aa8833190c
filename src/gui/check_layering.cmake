# SPDX-License-Identifier: MIT
# Refuses an include that runs against the layers of the desktop window:
#   engine <- common <- filelist, spreadsheet <- run <- shell (the main window)
# Each folder may include "gui/..." headers of its own folder and of the
# folders below it, nothing else. Run as
#   cmake -DGUI_DIR=<src/gui> -P check_layering.cmake
cmake_policy(SET CMP0057 NEW)  # if(... IN_LIST ...) in script mode
set(allowed_common common)
set(allowed_filelist common filelist)
set(allowed_spreadsheet common spreadsheet)
set(allowed_run common filelist run)
set(allowed_shell common filelist run shell)

set(problems "")
foreach(folder common filelist spreadsheet run shell)
  file(GLOB sources ${GUI_DIR}/${folder}/*.h ${GUI_DIR}/${folder}/*.cc)
  foreach(source IN LISTS sources)
    file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]+\"gui/")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE ".*\"gui/([^/\"]+).*" "\\1" layer "${line}")
      if(NOT layer IN_LIST allowed_${folder})
        string(REPLACE ";" ", " allowed "${allowed_${folder}}")
        string(APPEND problems
          "\n  ${source}: ${folder} includes gui/${layer}; "
          "${folder} may include only gui/{${allowed}}")
      endif()
    endforeach()
  endforeach()
endforeach()
if(problems)
  message(FATAL_ERROR "An include runs against the layers of src/gui "
    "(engine <- common <- filelist, spreadsheet <- run <- shell):${problems}")
endif()
