// SPDX-License-Identifier: MIT
// The XML tokenizer on any bytes, read whole and as a document arriving in
// pieces: it either reads the document or throws XmlError; in pieces it
// never touches bytes not yet received (they are poisoned for ASan) and
// reads the same tokens as whole.

#include <sanitizer/asan_interface.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/reading/xml/xml_error.h"
#include "engine/reading/xml/xml_tokenizer.h"

namespace {

using kestrilo::XmlError;
using kestrilo::XmlTokenizer;
using Token = XmlTokenizer::Token;

// A text form of the tokens; text pieces are joined, as their cuts depend on
// where the bytes arrived.
std::string Trace(XmlTokenizer& tokenizer) {
  std::string trace;
  for (;;) {
    const Token token = tokenizer.Next();
    if (token == Token::kEnd) return trace;
    if (token == Token::kText) {
      trace += tokenizer.text();
      continue;
    }
    trace += token == Token::kStartTag ? "\x01<" : "\x01</";
    trace += tokenizer.name();
    for (const auto& attribute : tokenizer.attributes()) {
      if (token != Token::kStartTag) break;
      trace += '\x02';
      trace += attribute.name;
      trace += '=';
      trace += attribute.value;
    }
    trace += '\x01';
  }
}

// Reads the document whole, with the shortcut for spreadsheet cells too.
void Whole(std::string document) {
  try {
    XmlTokenizer::ConvertToUtf8(document);
    XmlTokenizer tokenizer(document);
    XmlTokenizer::FlatElement element;
    while (tokenizer.ReadFlatElement("c", element) ||
           tokenizer.Next() != Token::kEnd) {
    }
  } catch (const XmlError&) {
  }
}

// The trace of `bytes` read whole, or nothing when it is no document.
bool TraceWhole(std::string_view bytes, std::string& trace) {
  try {
    XmlTokenizer tokenizer(bytes);
    trace = Trace(tokenizer);
    return true;
  } catch (const XmlError&) {
    return false;
  }
}

bool TraceInPieces(std::string_view bytes, std::size_t step,
                   std::string& trace) {
  std::string buffer(bytes);
  std::size_t have = std::min(step, buffer.size());
  ASAN_POISON_MEMORY_REGION(buffer.data() + have, buffer.size() - have);
  bool read = true;
  try {
    XmlTokenizer tokenizer(buffer.data(), have, [&](std::size_t) {
      const std::size_t more = std::min(have + step, buffer.size());
      ASAN_UNPOISON_MEMORY_REGION(buffer.data() + have, more - have);
      have = more;
      return have;
    });
    trace = Trace(tokenizer);
  } catch (const XmlError&) {
    read = false;
  }
  ASAN_UNPOISON_MEMORY_REGION(buffer.data(), buffer.size());
  return read;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  Whole(std::string(bytes));
  if (size == 0) return 0;
  const std::string_view document = bytes.substr(1);
  std::string whole_trace;
  std::string pieces_trace;
  const bool whole = TraceWhole(document, whole_trace);
  const bool pieces = TraceInPieces(document, 1 + data[0] % 61, pieces_trace);
  // Where the bytes were cut must not change what they say.
  if (whole != pieces || whole_trace != pieces_trace) __builtin_trap();
  return 0;
}
