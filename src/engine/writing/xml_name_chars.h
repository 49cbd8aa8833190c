// SPDX-License-Identifier: MIT

#pragma once

namespace kestrilo {

/// Whether `c` may start an XML name, or stand in one after its start. Both
/// follow the name rules of XML 1.0, fifth edition (NameStartChar and
/// NameChar), narrowed to the characters that the letter, digit, combining
/// and extender classes of the earlier editions allow too: parsers built on
/// those classes, expat among them, still refuse a name such as <a、b>,
/// and a name both accept is valid for every reader.
bool IsXmlNameStartChar(char32_t c);
bool IsXmlNameChar(char32_t c);

}  // namespace kestrilo
