# SPDX-License-Identifier: MIT
# A layers table in which the model and the display may include each
# other: the layering check must refuse it before it reads any file.
set(KESTRILO_ENGINE_FOLDERS text model display)
set(engine_may_include_text "")
set(engine_may_include_model text display)
set(engine_may_include_display text model)
