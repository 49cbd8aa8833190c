// SPDX-License-Identifier: MIT

#pragma once

// The display may include the model: the layering check lets this one be.
#include "engine/model/cell_value.h"
