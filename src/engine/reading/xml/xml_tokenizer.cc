// SPDX-License-Identifier: MIT

#include "engine/reading/xml/xml_tokenizer.h"

#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "engine/reading/xml/byte_window.h"
#include "engine/text/text_decoding.h"

namespace kestrilo {

namespace {

constexpr std::size_t kMaxDepth = 1000;

// Characters that end a tag or attribute name.
struct NameEndTable {
  bool ends[256] = {};
  constexpr NameEndTable() {
    for (unsigned char c : {' ', '\t', '\n', '\r', '/', '>', '=', '<'}) {
      ends[c] = true;
    }
  }
};
constexpr NameEndTable kNameEnd;

// The first byte of [p, end) that ends a name. Names are scanned for every
// tag and attribute, so SSE2 looks at 16 bytes at a time where it can.
inline const char* SkipName(const char* p, const char* end) {
#ifdef __SSE2__
  // The bytes that end a name are white space, '/', '<', '=' and '>': those
  // up to 0x20 (other control characters, never valid in XML, end it too),
  // '/' and the range 0x3C-0x3E.
  const __m128i space = _mm_set1_epi8(0x20);
  const __m128i slash = _mm_set1_epi8('/');
  const __m128i less = _mm_set1_epi8('<');
  const __m128i two = _mm_set1_epi8(2);
  while (end - p >= 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i low = _mm_cmpeq_epi8(_mm_max_epu8(v, space), space);
    const __m128i from_less = _mm_sub_epi8(v, less);
    const __m128i angle =
        _mm_cmpeq_epi8(_mm_min_epu8(from_less, two), from_less);
    const __m128i found =
        _mm_or_si128(_mm_or_si128(low, angle), _mm_cmpeq_epi8(v, slash));
    const int mask = _mm_movemask_epi8(found);
    if (mask != 0) return p + __builtin_ctz(static_cast<unsigned>(mask));
    p += 16;
  }
#endif
  while (p != end && static_cast<unsigned char>(*p) > 0x20 &&
         !kNameEnd.ends[static_cast<unsigned char>(*p)]) {
    ++p;
  }
  return p;
}

// The first byte of [p, value_end) that is '&', '<' or a control character,
// or value_end. Bytes up to `buffer_end` may be read.
inline const char* SkipPlainValue(const char* p, const char* value_end,
                                  const char* buffer_end) {
#ifdef __SSE2__
  while (p < value_end && buffer_end - p >= 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i control = _mm_cmpeq_epi8(_mm_max_epu8(v, _mm_set1_epi8(0x1F)),
                                           _mm_set1_epi8(0x1F));
    const __m128i found = _mm_or_si128(
        control, _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('&')),
                              _mm_cmpeq_epi8(v, _mm_set1_epi8('<'))));
    const int mask = _mm_movemask_epi8(found);
    if (mask != 0) {
      const char* hit = p + __builtin_ctz(static_cast<unsigned>(mask));
      return hit < value_end ? hit : value_end;
    }
    p += 16;
  }
  if (p >= value_end) return value_end;
#endif
  while (p != value_end && *p != '&' && *p != '<' &&
         static_cast<unsigned char>(*p) >= 0x20) {
    ++p;
  }
  return p;
}

// The first byte of [p, end) that is `stop`, '&', '<' or a control
// character, or end: where a plain value ends, found in one pass. Values in
// spreadsheet parts are short, and one look at 16 bytes beats finding the
// end first and checking the bytes before it after.
inline const char* FindPlainEnd(const char* p, const char* end, char stop) {
#ifdef __SSE2__
  const __m128i stops = _mm_set1_epi8(stop);
  while (end - p >= 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i control = _mm_cmpeq_epi8(_mm_max_epu8(v, _mm_set1_epi8(0x1F)),
                                           _mm_set1_epi8(0x1F));
    const __m128i found =
        _mm_or_si128(_mm_or_si128(control, _mm_cmpeq_epi8(v, stops)),
                     _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('&')),
                                  _mm_cmpeq_epi8(v, _mm_set1_epi8('<'))));
    const int mask = _mm_movemask_epi8(found);
    if (mask != 0) return p + __builtin_ctz(static_cast<unsigned>(mask));
    p += 16;
  }
#endif
  while (p != end && *p != stop && *p != '&' && *p != '<' &&
         static_cast<unsigned char>(*p) >= 0x20) {
    ++p;
  }
  return p;
}

// Tag names are short: a plain loop beats a call to memcmp.
inline bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i]) return false;
  }
  return true;
}

inline bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool StartsWith(const char* p, const char* end, std::string_view prefix) {
  return static_cast<std::size_t>(end - p) >= prefix.size() &&
         std::memcmp(p, prefix.data(), prefix.size()) == 0;
}

// The code point of a character reference body ("#65", "#x41"), or
// nothing (0) when it is not a valid XML character.
std::uint32_t CharacterReference(std::string_view body) {
  if (body.size() < 2 || body[0] != '#') return 0;
  const bool hex = body[1] == 'x';
  body.remove_prefix(hex ? 2 : 1);
  if (body.empty() || body.size() > 8) return 0;
  std::uint32_t code = 0;
  for (char c : body) {
    std::uint32_t digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<std::uint32_t>(c - '0');
    } else if (hex && c >= 'a' && c <= 'f') {
      digit = static_cast<std::uint32_t>(c - 'a' + 10);
    } else if (hex && c >= 'A' && c <= 'F') {
      digit = static_cast<std::uint32_t>(c - 'A' + 10);
    } else {
      return 0;
    }
    code = code * (hex ? 16 : 10) + digit;
  }
  const bool valid = code == 0x9 || code == 0xA || code == 0xD ||
                     (code >= 0x20 && code <= 0xD7FF) ||
                     (code >= 0xE000 && code <= 0xFFFD) ||
                     (code >= 0x10000 && code <= 0x10FFFF);
  return valid ? code : 0;
}

}  // namespace

// Thrown inside the tokenizer when a token runs past the bytes that have
// arrived so far; Next() waits for more and reads the token again.
struct XmlTokenizer::Starved {};

XmlTokenizer::XmlTokenizer(std::string_view document)
    : begin_(document.data()),
      p_(document.data()),
      end_(document.data() + document.size()) {
  open_.reserve(32);
  attributes_.reserve(16);
}

XmlTokenizer::XmlTokenizer(const char* data, std::size_t size, MoreData more)
    : XmlTokenizer(std::string_view(data, size)) {
  more_ = std::move(more);
  complete_ = !more_;
}

void XmlTokenizer::FailAtEnd(const char* at, const std::string& reason) const {
  if (!complete_) throw Starved{};
  Fail(at, reason);
}

void XmlTokenizer::Fail(const char* at, const std::string& reason) const {
  throw XmlError(static_cast<std::size_t>(at - begin_), reason);
}

const std::string_view* XmlTokenizer::FindAttribute(
    std::string_view local) const {
  for (const Attribute& attribute : attributes_) {
    if (HasLocalName(attribute.name, local)) return &attribute.value;
  }
  return nullptr;
}

std::string_view XmlTokenizer::AttributeOr(std::string_view local,
                                           std::string_view fallback) const {
  const std::string_view* value = FindAttribute(local);
  return value != nullptr ? *value : fallback;
}

void XmlTokenizer::KeepOpenNames() {
  for (std::string_view& name : open_) {
    if (name.data() >= begin_ && name.data() < end_) {
      name = kept_names_.emplace_back(name);
    }
  }
}

std::size_t XmlTokenizer::NeededFrom() const {
  const char* needed = p_;
  for (const std::string_view name : open_) {
    if (name.data() >= begin_ && name.data() < needed) needed = name.data();
  }
  // A self-closing tag's end is still to come, under its name.
  if (pending_end_ && name_.data() >= begin_ && name_.data() < needed) {
    needed = name_.data();
  }
  return static_cast<std::size_t>(needed - begin_);
}

XmlTokenizer::Token XmlTokenizer::Next() {
  if (pending_end_) {
    pending_end_ = false;
    self_closing_ = false;
    open_.pop_back();
    return Token::kEndTag;
  }
  for (;;) {
    try {
      return ReadToken();
    } catch (const Starved&) {
      // The buffer never moves, so views already handed out stay valid.
      const std::size_t have = static_cast<std::size_t>(end_ - begin_);
      const std::size_t now = more_(have);
      complete_ = now == have;
      end_ = begin_ + now;
      p_ = begin_ + token_start_;
    }
  }
}

XmlTokenizer::Token XmlTokenizer::ReadToken() {
  for (;;) {
    token_start_ = static_cast<std::size_t>(p_ - begin_);
    if (p_ == end_) {
      if (!complete_) throw Starved{};
      if (!open_.empty()) {
        Fail(p_,
             "the document ends inside <" + std::string(open_.back()) + ">");
      }
      if (!root_seen_) Fail(p_, "the document has no element");
      return Token::kEnd;
    }
    if (*p_ == '<') {
      const Token token = ReadMarkup();
      if (token != Token::kEnd) return token;
      continue;  // a comment or processing instruction: skipped
    }
    const char* lt = static_cast<const char*>(
        std::memchr(p_, '<', static_cast<std::size_t>(end_ - p_)));
    if (lt == nullptr && !complete_) throw Starved{};
    const char* stop = lt != nullptr ? lt : end_;
    std::string_view raw(p_, static_cast<std::size_t>(stop - p_));
    const char* at = p_;
    p_ = stop;
    if (open_.empty()) {
      for (char c : raw) {
        if (!IsSpace(c)) Fail(at, "text outside the root element");
      }
      continue;
    }
    if (std::memchr(raw.data(), '&', raw.size()) != nullptr ||
        std::memchr(raw.data(), '\r', raw.size()) != nullptr) {
      text_scratch_.clear();
      Decode(raw, text_scratch_, false);
      text_ = text_scratch_;
    } else {
      text_ = raw;
    }
    return Token::kText;
  }
}

bool XmlTokenizer::ReadPlainAttributes(const char*& q, bool& empty_element) {
  for (;;) {
    while (q != end_ && IsSpace(*q)) ++q;
    if (q == end_) return false;
    if (*q == '>') {
      ++q;
      empty_element = false;
      return true;
    }
    if (*q == '/') {
      if (q + 1 == end_ || q[1] != '>') return false;
      q += 2;
      empty_element = true;
      return true;
    }
    const char* name = q;
    q = SkipName(q, end_);
    if (q == name || q == end_ || *q != '=' || q + 1 == end_) return false;
    const char quote = q[1];
    if (quote != '"' && quote != '\'') return false;
    const char* value = q + 2;
    const char* close = FindPlainEnd(value, end_, quote);
    if (close == end_ || *close != quote) return false;
    attributes_.push_back(
        {std::string_view(name, static_cast<std::size_t>(q - name)),
         std::string_view(value, static_cast<std::size_t>(close - value))});
    q = close + 1;
  }
}

bool XmlTokenizer::SkipEndTag(const char*& q, std::string_view name) const {
  if (static_cast<std::size_t>(end_ - q) < name.size() + 3 || q[0] != '<' ||
      q[1] != '/' || q[2 + name.size()] != '>' ||
      !SameName(std::string_view(q + 2, name.size()), name)) {
    return false;
  }
  q += name.size() + 3;
  return true;
}

bool XmlTokenizer::ReadFlatChild(const char*& q, FlatElement& element) const {
  const char* child = q + 1;
  const char* child_end = SkipName(child, end_);
  if (child_end == end_ || *child_end != '>' || child_end == child) {
    return false;
  }
  element.child =
      std::string_view(child, static_cast<std::size_t>(child_end - child));
  const char* text = child_end + 1;
  // Text with references or control characters (line ends, tabs) takes
  // the ordinary way.
  const char* lt = FindPlainEnd(text, end_, '<');
  if (lt == end_ || *lt != '<') return false;
  element.text = std::string_view(text, static_cast<std::size_t>(lt - text));
  q = lt;
  return SkipEndTag(q, element.child);
}

bool XmlTokenizer::ReadFlatElementInWindow(std::string_view local,
                                           FlatElement& element) {
#ifdef __SSE2__
  ByteWindow window(p_, static_cast<std::size_t>(end_ - p_));
  if (window.size() == 0) return false;
  const std::size_t name_end = window.NameEnd(1);
  const std::string_view qualified(p_ + 1, name_end - 1);
  if (name_end >= window.size() || !HasLocalName(qualified, local)) {
    return false;
  }
  attributes_.clear();
  std::size_t i = name_end;
  bool empty_element = false;
  for (;;) {
    while (window.At(i, ' ')) ++i;
    const std::size_t attribute = i;
    // A spreadsheet cell's attributes have one-letter names.
    if (window.LetterBeforeEquals(i)) {
      ++i;
    } else if (window.At(i, '>')) {
      ++i;
      break;
    } else if (window.At(i, '/')) {
      if (!window.At(i + 1, '>')) return false;
      i += 2;
      empty_element = true;
      break;
    } else {
      i = window.NameEnd(i);
    }
    if (i == attribute || !window.At(i, '=') || !window.At(i + 1, '"')) {
      return false;
    }
    const std::size_t value = i + 2;
    const std::size_t close = window.ValueEnd(value);
    if (!window.At(close, '"')) return false;
    attributes_.push_back(
        {{p_ + attribute, i - attribute}, {p_ + value, close - value}});
    i = close + 1;
  }
  element = {};
  if (!empty_element) {
    if (window.At(i, '<') && !window.At(i + 1, '/')) {
      const std::size_t child = i + 1;
      i = window.NameEnd(child);
      if (i == child || !window.At(i, '>')) return false;
      const std::size_t text = i + 1;
      const std::size_t lt = window.ValueEnd(text);
      element.child = std::string_view(p_ + child, i - child);
      element.text = std::string_view(p_ + text, lt - text);
      if (!window.EndTagAt(lt, element.child)) return false;
      i = lt + element.child.size() + 3;
    }
    if (!window.EndTagAt(i, qualified)) return false;
    i += qualified.size() + 3;
  }
  name_ = qualified;
  self_closing_ = false;
  p_ += i;
  return true;
#else
  (void)local;
  (void)element;
  return false;
#endif
}

bool XmlTokenizer::ReadFlatElementAnyLength(std::string_view local,
                                            FlatElement& element) {
  const char* name = p_ + 1;
  const char* q = SkipName(name, end_);
  const std::string_view qualified(name, static_cast<std::size_t>(q - name));
  if (q == name || !HasLocalName(qualified, local)) return false;
  attributes_.clear();
  bool empty_element = false;
  if (!ReadPlainAttributes(q, empty_element)) return false;
  element = {};
  if (!empty_element) {
    const bool has_child = end_ - q >= 2 && q[0] == '<' && q[1] != '/';
    if ((has_child && !ReadFlatChild(q, element)) ||
        !SkipEndTag(q, qualified)) {
      return false;
    }
  }
  name_ = qualified;
  self_closing_ = false;
  p_ = q;
  return true;
}

void XmlTokenizer::SkipPast(std::string_view terminator, const char* what) {
  const std::string_view rest(p_, static_cast<std::size_t>(end_ - p_));
  const std::size_t found = rest.find(terminator);
  if (found == std::string_view::npos) {
    FailAtEnd(p_, std::string("unterminated ") + what);
  }
  p_ += found + terminator.size();
}

// At '<'. Returns kEnd for markup that yields no token.
XmlTokenizer::Token XmlTokenizer::ReadMarkup() {
  const char* next = p_ + 1;
  // Enough bytes to tell "<!--" from "<![CDATA[" and "<!DOCTYPE".
  if (end_ - next < 9 && !complete_) throw Starved{};
  if (next == end_) Fail(p_, "the document ends inside a tag");
  if (*next == '/') return ReadEndTag();
  if (*next == '?') {
    SkipPast("?>", "processing instruction");
    return Token::kEnd;
  }
  if (*next == '!') {
    if (StartsWith(next, end_, "!--")) {
      SkipPast("-->", "comment");
      return Token::kEnd;
    }
    if (StartsWith(next, end_, "![CDATA[")) {
      if (open_.empty()) Fail(p_, "CDATA outside the root element");
      const char* body = next + 8;
      p_ = body;
      SkipPast("]]>", "CDATA section");
      text_ = std::string_view(body, static_cast<std::size_t>(p_ - 3 - body));
      return Token::kText;
    }
    if (StartsWith(next, end_, "!DOCTYPE")) {
      Fail(p_, "document type declarations (DTD) are not allowed");
    }
    Fail(p_, "unknown markup declaration");
  }
  return ReadStartTag();
}

XmlTokenizer::Token XmlTokenizer::ReadStartTag() {
  const char* start = ++p_;
  p_ = SkipName(p_, end_);
  if (p_ == start) Fail(start, "a tag without a name");
  if (open_.empty() && root_seen_) {
    Fail(start - 1, "a second root element");
  }
  name_ = std::string_view(start, static_cast<std::size_t>(p_ - start));
  ReadAttributes();
  root_seen_ = true;
  // Spreadsheet parts nest a dozen levels deep; thousands are an attack on
  // our memory, not a document.
  if (open_.size() >= kMaxDepth) Fail(start - 1, "elements nested too deeply");
  open_.push_back(name_);
  pending_end_ = self_closing_;
  return Token::kStartTag;
}

void XmlTokenizer::ReadAttributes() {
  attributes_.clear();
  attribute_decodes_.clear();
  self_closing_ = false;
  for (;;) {
    while (p_ != end_ && IsSpace(*p_)) ++p_;
    if (p_ == end_) FailAtEnd(p_, "the document ends inside a tag");
    if (*p_ == '>') {
      ++p_;
      break;
    }
    if (*p_ == '/') {
      if (p_ + 1 == end_) FailAtEnd(p_, "the document ends inside a tag");
      if (p_[1] != '>') Fail(p_, "'/' not followed by '>'");
      p_ += 2;
      self_closing_ = true;
      break;
    }
    const char* name = p_;
    p_ = SkipName(p_, end_);
    if (p_ == name) Fail(p_, "unexpected character in a tag");
    const std::string_view attribute_name(name,
                                          static_cast<std::size_t>(p_ - name));
    while (p_ != end_ && IsSpace(*p_)) ++p_;
    if (p_ == end_) FailAtEnd(p_, "the document ends inside a tag");
    if (*p_ != '=') Fail(p_, "an attribute without a value");
    ++p_;
    while (p_ != end_ && IsSpace(*p_)) ++p_;
    if (p_ == end_) FailAtEnd(p_, "the document ends inside a tag");
    if (*p_ != '"' && *p_ != '\'') {
      Fail(p_, "an attribute value without quotes");
    }
    const char quote = *p_++;
    // Most values are plain: their end found in one pass.
    const char* close = FindPlainEnd(p_, end_, quote);
    if (close == end_ || *close != quote) {
      close = static_cast<const char*>(
          std::memchr(p_, quote, static_cast<std::size_t>(end_ - p_)));
      if (close == nullptr) FailAtEnd(p_, "unterminated attribute value");
      for (char c : std::string_view(SkipPlainValue(p_, close, end_), close)) {
        if (c == '&' || static_cast<unsigned char>(c) < 0x20) {
          attribute_decodes_.push_back(attributes_.size());
          break;
        }
        if (c == '<') Fail(p_, "'<' in an attribute value");
      }
    }
    const std::string_view value(p_, static_cast<std::size_t>(close - p_));
    attributes_.push_back({attribute_name, value});
    p_ = close + 1;
  }
  if (attribute_decodes_.empty()) return;
  // Decode first, take views after: the scratch may move while it grows.
  attribute_scratch_.clear();
  std::vector<std::size_t> ends;
  ends.reserve(attribute_decodes_.size());
  for (std::size_t index : attribute_decodes_) {
    Decode(attributes_[index].value, attribute_scratch_, true);
    ends.push_back(attribute_scratch_.size());
  }
  std::size_t from = 0;
  for (std::size_t i = 0; i < attribute_decodes_.size(); ++i) {
    attributes_[attribute_decodes_[i]].value =
        std::string_view(attribute_scratch_).substr(from, ends[i] - from);
    from = ends[i];
  }
}

XmlTokenizer::Token XmlTokenizer::ReadEndTag() {
  const char* start = p_ + 2;
  // Well-formed documents close the open element: comparing with its name
  // at once spares scanning for the end of the name.
  if (!open_.empty()) {
    const std::string_view open = open_.back();
    if (static_cast<std::size_t>(end_ - start) > open.size() &&
        start[open.size()] == '>' &&
        std::memcmp(start, open.data(), open.size()) == 0) {
      name_ = std::string_view(start, open.size());
      p_ = start + open.size() + 1;
      open_.pop_back();
      self_closing_ = false;
      return Token::kEndTag;
    }
  }
  p_ = start;
  p_ = SkipName(p_, end_);
  name_ = std::string_view(start, static_cast<std::size_t>(p_ - start));
  while (p_ != end_ && IsSpace(*p_)) ++p_;
  if (p_ == end_) FailAtEnd(p_, "the document ends inside a tag");
  if (*p_ != '>') Fail(p_, "malformed end tag");
  ++p_;
  if (open_.empty() || !SameName(open_.back(), name_)) {
    std::string reason = "</";
    reason.append(name_).append("> does not match ");
    if (open_.empty()) {
      reason += "any open element";
    } else {
      reason.append("<").append(open_.back()).append(">");
    }
    Fail(start - 2, reason);
  }
  open_.pop_back();
  self_closing_ = false;
  return Token::kEndTag;
}

void XmlTokenizer::Decode(std::string_view raw, std::string& out,
                          bool attribute) const {
  for (std::size_t i = 0; i < raw.size(); ++i) {
    const char c = raw[i];
    if (c == '\r') {
      // CR LF and lone CR are line ends, read as LF.
      if (i + 1 < raw.size() && raw[i + 1] == '\n') ++i;
      out += attribute ? ' ' : '\n';
    } else if (attribute && (c == '\n' || c == '\t')) {
      out += ' ';
    } else if (c != '&') {
      out += c;
    } else {
      const std::size_t semicolon = raw.find(';', i);
      if (semicolon == std::string_view::npos || semicolon - i > 12) {
        Fail(raw.data() + i, "'&' that starts no reference");
      }
      const std::string_view body = raw.substr(i + 1, semicolon - i - 1);
      if (body == "lt") {
        out += '<';
      } else if (body == "gt") {
        out += '>';
      } else if (body == "amp") {
        out += '&';
      } else if (body == "quot") {
        out += '"';
      } else if (body == "apos") {
        out += '\'';
      } else {
        const std::uint32_t code = CharacterReference(body);
        if (code == 0) {
          Fail(raw.data() + i,
               "unknown or invalid reference &" + std::string(body) + ";");
        }
        AppendUtf8(out, code);
      }
      i = semicolon;
    }
  }
}

void XmlTokenizer::ConvertToUtf8(std::string& document) {
  const auto byte = [&](std::size_t i) {
    return static_cast<unsigned char>(document[i]);
  };
  if (document.size() >= 3 && byte(0) == 0xEF && byte(1) == 0xBB &&
      byte(2) == 0xBF) {
    document.erase(0, 3);
    return;
  }
  if (document.size() < 2) return;
  bool little;
  std::size_t start = 0;
  if (byte(0) == 0xFF && byte(1) == 0xFE) {
    little = true;
    start = 2;
  } else if (byte(0) == 0xFE && byte(1) == 0xFF) {
    little = false;
    start = 2;
  } else if (byte(0) == '<' && byte(1) == 0) {
    little = true;
  } else if (byte(0) == 0 && byte(1) == '<') {
    little = false;
  } else {
    return;
  }
  std::string utf8;
  utf8.reserve(document.size() / 2);
  const auto unit = [&](std::size_t i) -> std::uint32_t {
    return little ? byte(i) | (byte(i + 1) << 8) : (byte(i) << 8) | byte(i + 1);
  };
  std::size_t i = start;
  while (i + 1 < document.size()) {
    std::uint32_t code = unit(i);
    i += 2;
    if (code >= 0xD800 && code <= 0xDBFF) {
      if (i + 1 >= document.size()) throw XmlError(i, "truncated UTF-16");
      const std::uint32_t low = unit(i);
      if (low < 0xDC00 || low > 0xDFFF) throw XmlError(i, "invalid UTF-16");
      i += 2;
      code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
    } else if (code >= 0xDC00 && code <= 0xDFFF) {
      throw XmlError(i - 2, "invalid UTF-16");
    }
    AppendUtf8(utf8, code);
  }
  if (i != document.size()) throw XmlError(i, "truncated UTF-16");
  document.swap(utf8);
}

}  // namespace kestrilo
