// SPDX-License-Identifier: MIT

#pragma once

// A model header that reaches up into the display, which includes the model:
// a circle the layering check must refuse.
#include "engine/display/compiled_format.h"
#include "engine/input/reader_budget.h"
