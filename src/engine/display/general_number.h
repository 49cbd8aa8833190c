// SPDX-License-Identifier: MIT

#pragma once

#include <string>

namespace kestrilo {

/// The most characters a General number shows, a minus sign not counted:
/// longer numbers are rounded or shown in scientific notation.
inline constexpr int kGeneralMaxCharacters = 11;

/// A width that holds any General number.
inline constexpr int kUnlimitedWidth = 1 << 20;

/// Appends `value` as the General format shows it in a column `width`
/// characters wide (a minus sign counts as one), rounded to fit as a
/// spreadsheet does: 1/7 in 8 characters is "0.142857", 123456789012345 is
/// "1.23457E+14", and in 8 characters "1.23E+14". Of a fixed and a
/// scientific text that fit, the one keeping more of the number wins, the
/// fixed one when they keep as much. Returns false, appending nothing, when
/// no General text fits: only then does a grid show "###".
bool AppendGeneralNumber(double value, int width, std::string& out);

/// `value` as General shows it in an unlimited column ("0.142857143").
std::string GeneralNumberText(double value);

}  // namespace kestrilo
