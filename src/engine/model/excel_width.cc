// SPDX-License-Identifier: MIT

#include "engine/model/excel_width.h"

#include <cmath>

namespace kestrilo {

namespace {

constexpr double kDigitPixels = 7;
constexpr double kPointsPerPixel = 0.75;
constexpr double kMaxCharacters = 255;
constexpr double kPaddingPixels = 5;  // two on each side and the grid line

}  // namespace

std::optional<float> ExcelColumnWidthToPoints(double width) {
  if (!std::isfinite(width) || width < 0 || width > kMaxCharacters + 1) {
    return std::nullopt;
  }
  const double pixels = std::trunc(
      (256 * width + std::trunc(128 / kDigitPixels)) / 256 * kDigitPixels);
  return static_cast<float>(pixels * kPointsPerPixel);
}

std::optional<float> ExcelBaseWidthToPoints(double digits) {
  if (!std::isfinite(digits) || digits < 0 || digits > kMaxCharacters) {
    return std::nullopt;
  }
  const double pixels =
      std::ceil((std::trunc(digits) * kDigitPixels + kPaddingPixels) / 8) * 8;
  return static_cast<float>(pixels * kPointsPerPixel);
}

}  // namespace kestrilo
