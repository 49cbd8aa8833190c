// SPDX-License-Identifier: MIT

#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace kestrilo {

#ifdef __SSE2__

/// The next bytes of an XML text, at most kMost of them, sorted 64 at a
/// time as they are looked at: the bytes that end names, values or texts
/// are marked. A cell's start tag, child and end tag are then read by bit
/// scans instead of byte by byte.
class ByteWindow {
 public:
  static constexpr std::size_t kMost = 256;

  /// `p` has `available` bytes; the window holds whole words of 64 bytes,
  /// none when fewer are available. The first 64 are sorted at once: most
  /// cells lie within them.
  ByteWindow(const char* p, std::size_t available)
      : p_(p), size_(std::min(available, kMost) & ~std::size_t{63}) {
    if (size_ != 0) {
      Sort();
    } else {
      marks_[0] = 0;  // an empty window finds nothing, at size()
    }
  }

  std::size_t size() const { return size_; }

  /// Whether byte `i` lies in the window and is `c`.
  bool At(std::size_t i, char c) const { return i < size_ && p_[i] == c; }

  /// The first byte from `i` on that ends a name (white space and the other
  /// control characters, '/', '<', '=', '>') or that a plain name does not
  /// hold ('"', '&', and those beyond ASCII, which the general way reads);
  /// size() when none.
  [[gnu::always_inline]] std::size_t NameEnd(std::size_t i) { return Next(i); }

  /// The first byte from `i` on that is '"' or ends a plain value or text:
  /// '<', '&', a control character, or one beyond ASCII (the general way
  /// reads those); size() when none.
  [[gnu::always_inline]] std::size_t ValueEnd(std::size_t i) {
    for (;;) {
      i = Next(i);
      if (i == size_) return i;
      const char c = p_[i];
      if (c != ' ' && c != '/' && c != '=' && c != '>') return i;
      ++i;
    }
  }

  /// Whether byte `i` is an ASCII letter followed by '=': the whole name of
  /// an attribute, as those of a spreadsheet's cells are.
  bool LetterBeforeEquals(std::size_t i) const {
    return At(i + 1, '=') &&
           static_cast<unsigned char>((p_[i] | 0x20) - 'a') < 26;
  }

  /// Whether "</name>" lies at `i`.
  bool EndTagAt(std::size_t i, std::string_view name) const {
    const std::size_t size = name.size();
    if (!At(i, '<') || !At(i + 1, '/') || !At(i + 2 + size, '>')) {
      return false;
    }
    const char* at = p_ + i + 2;
    // Names of cells and their children are short: two words (or halves of
    // words) that overlap compare them.
    if (size >= 8 && size <= 16) {
      return Word(at) == Word(name.data()) &&
             Word(at + size - 8) == Word(name.data() + size - 8);
    }
    if (size >= 4 && size < 8) {
      return Quarter(at) == Quarter(name.data()) &&
             Quarter(at + size - 4) == Quarter(name.data() + size - 4);
    }
    if (size < 4) {
      for (std::size_t k = 0; k < size; ++k) {
        if (at[k] != name[k]) return false;
      }
      return true;
    }
    return std::memcmp(at, name.data(), size) == 0;
  }

 private:
  static std::uint64_t Word(const char* at) {
    std::uint64_t word;
    std::memcpy(&word, at, sizeof word);
    return word;
  }
  static std::uint32_t Quarter(const char* at) {
    std::uint32_t quarter;
    std::memcpy(&quarter, at, sizeof quarter);
    return quarter;
  }

  // The first marked byte from `i` on, or size(). Inline: called a few
  // times for every cell, nearly always within the first 64 bytes.
  [[gnu::always_inline]] std::size_t Next(std::size_t i) {
    if (i < 64) {
      const std::uint64_t after = marks_[0] >> i;
      if (after != 0) {
        return i + static_cast<std::size_t>(__builtin_ctzll(after));
      }
      i = 64;
    }
    return NextBeyond(i);
  }

  std::size_t NextBeyond(std::size_t i) {
    while (i < size_) {
      const std::size_t word = i / 64;
      while (sorted_ <= word) Sort();
      const std::uint64_t after = marks_[word] >> (i % 64);
      if (after != 0) {
        return i + static_cast<std::size_t>(__builtin_ctzll(after));
      }
      i = (word + 1) * 64;
    }
    return size_;
  }

  void Sort() {
    const char* at = p_ + sorted_ * 64;
    std::uint64_t marks = 0;
    for (std::size_t k = 0; k < 64; k += 16) {
      const __m128i v =
          _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + k));
      // Taken as signed, the bytes beyond ASCII are below 0x21 as white
      // space and the control characters are. '"' (0x22) and '&' (0x26)
      // differ in one bit: setting it makes both, and no other byte, 0x26.
      // '<', '=' and '>' are 0x3C to 0x3E.
      const __m128i low = _mm_cmplt_epi8(v, _mm_set1_epi8(0x21));
      const __m128i quote = _mm_cmpeq_epi8(_mm_or_si128(v, _mm_set1_epi8(0x04)),
                                           _mm_set1_epi8('&'));
      const __m128i from_less = _mm_sub_epi8(v, _mm_set1_epi8('<'));
      const __m128i angle =
          _mm_cmpeq_epi8(_mm_min_epu8(from_less, _mm_set1_epi8(2)), from_less);
      const __m128i slash = _mm_cmpeq_epi8(v, _mm_set1_epi8('/'));
      const __m128i marked =
          _mm_or_si128(_mm_or_si128(low, quote), _mm_or_si128(angle, slash));
      marks |= static_cast<std::uint64_t>(
                   static_cast<std::uint32_t>(_mm_movemask_epi8(marked)))
               << k;
    }
    marks_[sorted_] = marks;
    ++sorted_;
  }

  const char* p_;
  std::size_t size_;
  std::size_t sorted_ = 0;
  std::uint64_t marks_[kMost / 64];
};

#endif

}  // namespace kestrilo
