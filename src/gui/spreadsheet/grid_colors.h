// SPDX-License-Identifier: MIT

#pragma once

#include <QColor>

namespace kestrilo::gui::grid_colors {

// One palette for the grid and its headers, so that selection marks in the
// cells and in the headers match.
inline const QColor kGridLine{0xd9, 0xdc, 0xe0};
inline const QColor kSelectionFill{0x1a, 0x73, 0xe8, 0x2e};
inline const QColor kSelectionBorder{0x1a, 0x73, 0xe8};
inline const QColor kHeaderBackground{0xf3, 0xf4, 0xf6};
inline const QColor kHeaderPartly{0xd6, 0xe4, 0xfa};
inline const QColor kHeaderWhole{0xb5, 0xcf, 0xf6};
inline const QColor kHeaderLine{0xc4, 0xc8, 0xcd};
inline const QColor kHeaderText{0x44, 0x47, 0x4b};
inline const QColor kHeaderTextMarked{0x0b, 0x4c, 0xb3};

}  // namespace kestrilo::gui::grid_colors
