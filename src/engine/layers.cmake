# SPDX-License-Identifier: MIT
# The layers of the engine, from the bottom up: each folder, and the engine
# folders its files may include besides their own. The build makes one
# library of each folder, linked to the folders it may include, and
# check_layering.cmake refuses any other include, and a table with a circle.
set(KESTRILO_ENGINE_FOLDERS
  text files input model display
  reading/xml reading/zip reading/xlsx reading/ods reading/xls reading/csv
  reading writing conversion folder_scan)

# The small rules every part shares, and the names of files.
set(engine_may_include_text "")
set(engine_may_include_files "")
# A file read once, the budgets every reader works within, the error that
# names a workbook.
set(engine_may_include_input text)
# The cell model, and the interfaces that fill it and read it.
set(engine_may_include_model text input)
# Cells as a spreadsheet shows them: number formats, colours, styles.
set(engine_may_include_display text input model)
# The containers and the XML of the formats.
set(engine_may_include_reading/xml text input)
set(engine_may_include_reading/zip text input reading/xml)
# One folder per format; none includes another format's.
set(engine_may_include_reading/xlsx
    text input model display reading/xml reading/zip)
set(engine_may_include_reading/ods
    text input model display reading/xml reading/zip)
set(engine_may_include_reading/xls text input model display)
set(engine_may_include_reading/csv text input model display)
# Opening a file of any format: the format chosen by its content.
set(engine_may_include_reading
    text input model display reading/xml reading/zip
    reading/xlsx reading/ods reading/xls reading/csv)
# The XML and the output files.
set(engine_may_include_writing text files input model display)
# The one conversion: it opens a file through reading/ alone.
set(engine_may_include_conversion
    text files input model display reading writing)
set(engine_may_include_folder_scan text files)
