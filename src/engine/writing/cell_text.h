// SPDX-License-Identifier: MIT

#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/model/cell_value.h"

namespace kestrilo {

/// Appends the text form of a cell's value to `out`. The forms do not
/// depend on the locale, so files come out the same on every machine:
/// numbers with at most 15 significant digits (1.5, 10, 1e+15), booleans as
/// True / False, dates as 2021-08-31, 2021-08-31 13:45:00 or 13:45:00,
/// texts unchanged, and empty cells and error values as empty text.
void AppendCellText(const CellValue& value, std::string& out);

/// The most bytes WriteCellText writes.
inline constexpr std::size_t kMaxCellTextSize = 64;

/// Writes the text form of a value that is not a text (see AppendCellText)
/// at `out`, at most kMaxCellTextSize bytes, and returns its end. A text
/// value writes nothing: its bytes are the caller's to copy or escape.
char* WriteCellText(const CellValue& value, char* out);

/// The text form of a cell's value (see AppendCellText).
std::string CellText(const CellValue& value);

/// Appends `text` with "&", "<" and ">" written as entities, and each
/// character that XML cannot hold in any form (the control characters but
/// TAB, LF and CR; U+FFFE, U+FFFF; bytes that are not UTF-8) as U+FFFD.
void AppendEscaped(std::string_view text, std::string& out);

/// The most bytes WriteEscaped writes for each byte of its text.
inline constexpr std::size_t kMaxEscapedGrowth = 5;

/// Writes `text` escaped as AppendEscaped does at `out`, which must have
/// room for kMaxEscapedGrowth bytes per byte of `text`, and returns its end.
char* WriteEscaped(std::string_view text, char* out);

/// How many bytes from the start of `text`, at most `most` (at least 4) and
/// more than `most` - 4, can be escaped apart from the rest with the same
/// result as escaping the whole: a long text goes through a small buffer.
std::size_t EscapablePart(std::string_view text, std::size_t most);

/// Appends the tag name that a header cell's or a title's `text` gives: the
/// text without its space characters. When `safe`, a name never carries
/// markup: each of < > & " ' / = becomes "_", and each character XML cannot
/// hold becomes U+FFFD; otherwise the rest is kept raw.
void AppendTagName(std::string_view text, bool safe, std::string& out);

/// Makes the tag name that `name` ends with, from byte `start` on, a valid
/// XML name that parsers aware of namespaces accept too: each character a
/// name may not hold (read as UTF-8; a byte that begins no character counts
/// as one) and each ":" becomes "_", and "_" goes in front of a name that
/// is empty or whose first character may not start a name or is ":".
/// Characters are judged as IsXmlNameChar and IsXmlNameStartChar do. A name
/// that was valid and held no ":" stays as it was.
void MakeNameValid(std::string& name, std::size_t start = 0);

/// Whether `text` holds a character that XML cannot hold in any form (see
/// AppendEscaped).
bool HoldsCharactersXmlCannot(std::string_view text);

/// How many characters WriteEscaped has written as U+FFFD on this thread so
/// far: a writer compares it before and after a row to learn whether the
/// row held such characters, without looking at its texts a second time.
std::uint64_t ReplacedCharacterCount();

}  // namespace kestrilo
