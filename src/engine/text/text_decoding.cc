// SPDX-License-Identifier: MIT

#include "engine/text/text_decoding.h"

#include <cstdint>
#include <cstring>

namespace kestrilo {

namespace {

// Windows-1252 0x80-0x9F; the undefined bytes map to the C1 control of the
// same number.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr char32_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Eight bytes at a time while all of them are ASCII.
std::size_t SkipAscii(const unsigned char* data, std::size_t size,
                      std::size_t i) {
  while (i + 8 <= size) {
    std::uint64_t word;
    std::memcpy(&word, data + i, 8);
    if (word & 0x8080808080808080ULL) break;
    i += 8;
  }
  return i;
}

}  // namespace

namespace {

// The length of the well-formed UTF-8 sequence at data[0], or 0 when there
// is none (overlong forms, surrogates and values above U+10FFFF included).
std::size_t SequenceLength(const unsigned char* data, std::size_t available) {
  const unsigned char lead = data[0];
  if (lead < 0x80) return 1;
  std::size_t length;
  unsigned char low = 0x80, high = 0xBF;  // range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // overlong
    if (lead == 0xED) high = 0x9F;  // surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;   // overlong
    if (lead == 0xF4) high = 0x8F;  // above U+10FFFF
  } else {
    return 0;
  }
  if (available < length) return 0;
  if (data[1] < low || data[1] > high) return 0;
  for (std::size_t k = 2; k < length; ++k) {
    if (!IsContinuation(data[k])) return 0;
  }
  return length;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t size = bytes.size();
  std::size_t i = 0;
  while (i < size) {
    i = SkipAscii(data, size, i);
    if (i >= size) break;
    const std::size_t length = SequenceLength(data + i, size - i);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

std::size_t WholeUtf8Prefix(std::string_view bytes) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t size = bytes.size();
  for (std::size_t back = 1; back <= 3 && back <= size; ++back) {
    const unsigned char byte = data[size - back];
    if (IsContinuation(byte)) continue;
    const std::size_t length = byte >= 0xF0   ? 4
                               : byte >= 0xE0 ? 3
                               : byte >= 0xC0 ? 2
                                              : 1;
    return length > back ? size - back : size;
  }
  return size;
}

std::string RepairUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t size = bytes.size();
  std::size_t i = 0;
  while (i < size) {
    const std::size_t length = SequenceLength(data + i, size - i);
    if (length == 0) {
      AppendUtf8(out, kReplacement);
      ++i;
    } else {
      out.append(bytes.data() + i, length);
      i += length;
    }
  }
  return out;
}

void AppendUtf8(std::string& out, char32_t code_point) {
  if (code_point > 0x10FFFF || (code_point >= 0xD800 && code_point <= 0xDFFF)) {
    code_point = kReplacement;
  }
  if (code_point < 0x80) {
    out.push_back(static_cast<char>(code_point));
  } else if (code_point < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (code_point >> 6)));
    out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
  } else if (code_point < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (code_point >> 12)));
    out.push_back(static_cast<char>(0x80 | ((code_point >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (code_point >> 18)));
    out.push_back(static_cast<char>(0x80 | ((code_point >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((code_point >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
  }
}

std::string Windows1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 8);
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  for (std::size_t i = 0; i < bytes.size();) {
    // Runs of ASCII, most of such text, are copied as they are.
    const std::size_t ascii = SkipAscii(data, bytes.size(), i);
    out.append(bytes.data() + i, ascii - i);
    if (ascii == bytes.size()) break;
    i = ascii + 1;
    const unsigned char byte = data[ascii];
    if (byte < 0x80) {
      out.push_back(static_cast<char>(byte));
    } else if (byte < 0xA0) {
      AppendUtf8(out, kWindows1252High[byte - 0x80]);
    } else {
      AppendUtf8(out, byte);  // 0xA0-0xFF equal Latin-1
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::string_view bytes, bool big_endian) {
  std::string out;
  out.reserve(bytes.size());
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t units = bytes.size() / 2;
  auto unit = [&](std::size_t k) -> char32_t {
    const unsigned char a = data[2 * k], b = data[2 * k + 1];
    return big_endian ? (a << 8 | b) : (b << 8 | a);
  };
  for (std::size_t k = 0; k < units; ++k) {
    const char32_t u = unit(k);
    if (u >= 0xD800 && u <= 0xDBFF && k + 1 < units) {
      const char32_t next = unit(k + 1);
      if (next >= 0xDC00 && next <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (next - 0xDC00));
        ++k;
        continue;
      }
    }
    AppendUtf8(out, u);  // a lone surrogate becomes U+FFFD
  }
  if (bytes.size() % 2 != 0) AppendUtf8(out, kReplacement);
  return out;
}

}  // namespace kestrilo
