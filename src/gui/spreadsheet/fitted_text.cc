// SPDX-License-Identifier: MIT

#include "gui/spreadsheet/fitted_text.h"

#include <algorithm>

#include "engine/display/general_number.h"
#include "gui/common/translation.h"
#include "gui/common/ui_texts.h"

namespace kestrilo::gui {

namespace {

// A General number rounded to the digits a width holds may still be wider
// in pixels ("E", "+" and "-" are wider than digits in most fonts): it is
// rounded to one digit less, a few times at most.
constexpr int kNarrowingSteps = 3;

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

FittedText FitCellText(const CellValue& value, const CompiledFormat& format,
                       const GridFonts::Variant& font, int available,
                       std::string& buffer) {
  const bool numeric =
      value.kind == CellKind::kNumber || value.kind == CellKind::kDateTime;
  // The width only rounds General numbers; other texts ignore it.
  int digits =
      numeric ? std::max(0, available / font.digit_width) : kUnlimitedWidth;
  RenderResult result = format.Render(value, buffer, digits);
  FittedText fitted;
  // Measured once: laying a text out is most of what drawing a cell costs.
  const auto take = [&](QString text) {
    fitted.width = font.metrics.horizontalAdvance(text);
    fitted.text = std::move(text);
  };
  take(FromUtf8(buffer));
  for (int step = 0; numeric; ++step) {
    if (!result.overflow && fitted.width <= available) break;
    if (result.overflow || step == kNarrowingSteps || digits <= 1) {
      take(Tr(texts::kOverflowMark));
      fitted.overflow = true;
      return fitted;
    }
    result = format.Render(value, buffer, --digits);
    take(FromUtf8(buffer));
  }
  if (result.color != 0) fitted.color = QColor::fromRgb(result.color);
  if (result.fill_at != RenderResult::kNoFill) {
    fitted.fill_at =
        FromUtf8(std::string_view(buffer).substr(0, result.fill_at)).size();
    fitted.fill_with = FromUtf8(result.fill);
  }
  return fitted;
}

}  // namespace kestrilo::gui
