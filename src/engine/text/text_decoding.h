// SPDX-License-Identifier: MIT

#pragma once

#include <string>
#include <string_view>

namespace kestrilo {

/// True when `bytes` is well-formed UTF-8 (no overlong forms, no surrogates,
/// nothing above U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

/// The length of `bytes` without a UTF-8 sequence cut short at its end: a
/// lead byte among the last three whose sequence would reach beyond them
/// starts what is left out. Text read in pieces is validated and repaired
/// piece by piece this way, a cut sequence joined to the piece after it,
/// with the same result as for the whole text.
std::size_t WholeUtf8Prefix(std::string_view bytes);

/// Copies UTF-8 text, each byte that starts no well-formed sequence
/// replaced by U+FFFD.
std::string RepairUtf8(std::string_view bytes);

/// Converts Windows-1252 text to UTF-8. The five bytes that code page leaves
/// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the C1 controls of the
/// same number, as Windows itself converts them.
std::string Windows1252ToUtf8(std::string_view bytes);

/// Converts UTF-16 text (without its byte-order mark) to UTF-8. Unpaired
/// surrogates and a trailing odd byte become U+FFFD.
std::string Utf16ToUtf8(std::string_view bytes, bool big_endian);

/// Appends the UTF-8 form of `code_point` (U+FFFD for values that are no
/// Unicode scalar value).
void AppendUtf8(std::string& out, char32_t code_point);

}  // namespace kestrilo
