// SPDX-License-Identifier: MIT

#include "engine/display/cell_alignment.h"

namespace kestrilo {

HorizontalAlignment ResolvedAlignment(HorizontalAlignment alignment,
                                      CellKind kind) {
  if (alignment != HorizontalAlignment::kGeneral) return alignment;
  switch (kind) {
    case CellKind::kNumber:
    case CellKind::kDateTime:
      return HorizontalAlignment::kRight;
    case CellKind::kBoolean:
    case CellKind::kError:
      return HorizontalAlignment::kCenter;
    case CellKind::kText:
    case CellKind::kEmpty:
      break;
  }
  return HorizontalAlignment::kLeft;
}

}  // namespace kestrilo
