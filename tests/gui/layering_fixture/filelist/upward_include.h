// SPDX-License-Identifier: MIT

#pragma once

// A file list header that reaches up into the export run: the layering
// check must refuse it.
#include "gui/common/dialogs.h"
#include "gui/run/export_run.h"
