// SPDX-License-Identifier: MIT
// Writers of compound files and BIFF record streams for tests and
// benchmarks: small, and free to produce the odd or broken files that no
// office suite writes.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrilo::testing_support {

inline std::string U8(std::uint8_t value) {
  return std::string(1, static_cast<char>(value));
}

inline std::string U16(std::uint16_t value) {
  return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

inline std::string U32(std::uint32_t value) {
  return U16(static_cast<std::uint16_t>(value & 0xFFFF)) +
         U16(static_cast<std::uint16_t>(value >> 16));
}

inline std::string F64(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return U32(static_cast<std::uint32_t>(bits)) +
         U32(static_cast<std::uint32_t>(bits >> 32));
}

inline void PutU32(std::string& bytes, std::size_t offset,
                   std::uint32_t value) {
  const std::string encoded = U32(value);
  bytes.replace(offset, 4, encoded);
}

/// UTF-16LE code units of a text given as code points (BMP and beyond).
inline std::string Utf16Units(const std::u32string& text) {
  std::string out;
  for (char32_t c : text) {
    if (c >= 0x10000) {
      const char32_t v = c - 0x10000;
      out += U16(static_cast<std::uint16_t>(0xD800 + (v >> 10)));
      out += U16(static_cast<std::uint16_t>(0xDC00 + (v & 0x3FF)));
    } else {
      out += U16(static_cast<std::uint16_t>(c));
    }
  }
  return out;
}

/// A BIFF8 string with a 16-bit character count, stored wide.
inline std::string WideString(const std::u32string& text) {
  const std::string units = Utf16Units(text);
  return U16(static_cast<std::uint16_t>(units.size() / 2)) + U8(1) + units;
}

/// A BIFF8 string with a 16-bit character count, stored compressed (Latin-1).
inline std::string CompressedString(std::string_view latin1) {
  return U16(static_cast<std::uint16_t>(latin1.size())) + U8(0) +
         std::string(latin1);
}

/// A sequence of BIFF records.
class BiffStream {
 public:
  BiffStream& Record(std::uint16_t type, const std::string& body) {
    bytes_ += U16(type) + U16(static_cast<std::uint16_t>(body.size())) + body;
    return *this;
  }
  std::size_t size() const { return bytes_.size(); }
  const std::string& bytes() const { return bytes_; }
  std::string& bytes() { return bytes_; }

 private:
  std::string bytes_;
};

/// Writes a compound file holding the given streams in its root storage:
/// version 3 with 512-byte sectors, or version 4 with 4096-byte ones;
/// streams in its root storage; streams under 4096 bytes go to the mini
/// stream, and allocation tables past 109 sectors get DIFAT sectors.
class CompoundFileWriter {
 public:
  explicit CompoundFileWriter(std::uint32_t sector_size = 512)
      : sector_size_(sector_size) {}

  /// Writes the sectors of each stream and table in reverse order, so that
  /// no two of them follow each other in the file.
  void ScatterSectors() { scattered_ = true; }

  void AddStream(std::string name, std::string content) {
    streams_.emplace_back(std::move(name), std::move(content));
  }

  std::string Build() const {
    const std::uint32_t size = sector_size_;
    const std::uint32_t per_fat = size / 4;        // entries per FAT sector
    const std::uint32_t per_difat = size / 4 - 1;  // and per DIFAT sector
    std::vector<std::string> sectors;
    std::vector<std::uint32_t> fat;
    auto allocate = [&](const std::string& data) -> std::uint32_t {
      if (data.empty()) return kEnd;
      const auto first = static_cast<std::uint32_t>(sectors.size());
      const auto count =
          static_cast<std::uint32_t>((data.size() + size - 1) / size);
      sectors.resize(first + count);
      fat.resize(first + count);
      for (std::uint32_t k = 0; k < count; ++k) {
        // Piece k lies in sector first + k, or counting down from the end
        // when scattered.
        const std::uint32_t at = scattered_ ? first + count - 1 - k : first + k;
        const std::uint32_t next = scattered_ ? at - 1 : at + 1;
        sectors[at] = data.substr(std::size_t{k} * size, size);
        sectors[at].resize(size, '\0');
        fat[at] = k + 1 < count ? next : kEnd;
      }
      return scattered_ ? first + count - 1 : first;
    };

    struct Entry {
      std::string name;
      std::uint32_t start;
      std::uint32_t size;
    };
    std::vector<Entry> entries;
    std::string mini_stream;
    std::vector<std::uint32_t> mini_fat;
    for (const auto& [name, content] : streams_) {
      Entry entry{name, kEnd, static_cast<std::uint32_t>(content.size())};
      if (content.size() >= 4096) {
        entry.start = allocate(content);
      } else if (!content.empty()) {
        entry.start = static_cast<std::uint32_t>(mini_fat.size());
        for (std::size_t at = 0; at < content.size(); at += 64) {
          std::string piece = content.substr(at, 64);
          piece.resize(64, '\0');
          mini_stream += piece;
          mini_fat.push_back(static_cast<std::uint32_t>(mini_fat.size() + 1));
        }
        mini_fat.back() = kEnd;
      }
      entries.push_back(entry);
    }
    const auto mini_stream_size =
        static_cast<std::uint32_t>(mini_stream.size());
    const std::uint32_t mini_stream_start = allocate(mini_stream);
    std::string mini_fat_bytes;
    for (std::uint32_t next : mini_fat) mini_fat_bytes += U32(next);
    while (mini_fat_bytes.size() % size != 0) mini_fat_bytes += U32(kFree);
    const std::uint32_t mini_fat_start = allocate(mini_fat_bytes);
    const auto mini_fat_sectors =
        static_cast<std::uint32_t>(mini_fat_bytes.size() / size);

    // Directory: the root, then the streams as a chain of right siblings
    // in the container's name order (length first, then upper case).
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) {
                if (a.name.size() != b.name.size()) {
                  return a.name.size() < b.name.size();
                }
                return Upper(a.name) < Upper(b.name);
              });
    std::string directory = DirectoryEntry("Root Entry", 5, kNone, kNone,
                                           entries.empty() ? kNone : 1,
                                           mini_stream_start, mini_stream_size);
    for (std::size_t i = 0; i < entries.size(); ++i) {
      const std::uint32_t right =
          i + 1 < entries.size() ? static_cast<std::uint32_t>(i + 2) : kNone;
      directory += DirectoryEntry(entries[i].name, 2, kNone, right, kNone,
                                  entries[i].start, entries[i].size);
    }
    while (directory.size() % size != 0) directory += std::string(128, '\0');
    const std::uint32_t directory_start = allocate(directory);

    // Allocation table and DIFAT sectors, sized to cover themselves.
    const auto data_sectors = static_cast<std::uint32_t>(sectors.size());
    std::uint32_t fat_count = 1;
    std::uint32_t difat_count = 0;
    for (;;) {
      difat_count =
          fat_count > 109 ? (fat_count - 109 + per_difat - 1) / per_difat : 0;
      if (fat_count * per_fat >= data_sectors + fat_count + difat_count) {
        break;
      }
      ++fat_count;
    }
    const std::uint32_t fat_start = data_sectors;
    const std::uint32_t difat_start = fat_start + fat_count;
    fat.resize(static_cast<std::size_t>(fat_count) * per_fat, kFree);
    for (std::uint32_t i = 0; i < fat_count; ++i) fat[fat_start + i] = kFatSect;
    for (std::uint32_t i = 0; i < difat_count; ++i) {
      fat[difat_start + i] = kDifSect;
    }
    std::string fat_bytes;
    for (std::uint32_t next : fat) fat_bytes += U32(next);

    std::string header(size, '\0');
    const unsigned char signature[8] = {0xD0, 0xCF, 0x11, 0xE0,
                                        0xA1, 0xB1, 0x1A, 0xE1};
    header.replace(0, 8, reinterpret_cast<const char*>(signature), 8);
    header.replace(0x18, 2, U16(0x3E));
    header.replace(0x1A, 2, U16(size == 512 ? 3 : 4));
    header.replace(0x1C, 2, U16(0xFFFE));
    header.replace(0x1E, 2, U16(size == 512 ? 9 : 12));
    header.replace(0x20, 2, U16(6));
    PutU32(header, 0x2C, fat_count);
    PutU32(header, 0x30, directory_start);
    PutU32(header, 0x38, 4096);
    PutU32(header, 0x3C, mini_fat_sectors ? mini_fat_start : kEnd);
    PutU32(header, 0x40, mini_fat_sectors);
    PutU32(header, 0x44, difat_count ? difat_start : kEnd);
    PutU32(header, 0x48, difat_count);
    for (std::uint32_t i = 0; i < 109; ++i) {
      PutU32(header, 0x4C + 4 * i, i < fat_count ? fat_start + i : kFree);
    }
    std::string file = header;
    for (const std::string& sector : sectors) file += sector;
    file += fat_bytes;
    for (std::uint32_t d = 0; d < difat_count; ++d) {
      std::string sector;
      for (std::uint32_t i = 0; i < per_difat; ++i) {
        const std::uint32_t index = 109 + d * per_difat + i;
        sector += U32(index < fat_count ? fat_start + index : kFree);
      }
      sector += U32(d + 1 < difat_count ? difat_start + d + 1 : kEnd);
      file += sector;
    }
    return file;
  }

  static constexpr std::uint32_t kEnd = 0xFFFFFFFE;
  static constexpr std::uint32_t kFree = 0xFFFFFFFF;
  static constexpr std::uint32_t kNone = 0xFFFFFFFF;
  static constexpr std::uint32_t kFatSect = 0xFFFFFFFD;
  static constexpr std::uint32_t kDifSect = 0xFFFFFFFC;

 private:
  static std::string Upper(std::string text) {
    for (char& c : text) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
  }

  static std::string DirectoryEntry(const std::string& name, std::uint8_t type,
                                    std::uint32_t left, std::uint32_t right,
                                    std::uint32_t child, std::uint32_t start,
                                    std::uint32_t size) {
    std::string entry(128, '\0');
    for (std::size_t i = 0; i < name.size() && i < 31; ++i) {
      entry.replace(2 * i, 2, U16(static_cast<unsigned char>(name[i])));
    }
    entry.replace(0x40, 2,
                  U16(static_cast<std::uint16_t>(2 * (name.size() + 1))));
    entry[0x42] = static_cast<char>(type);
    entry[0x43] = 1;  // black
    PutU32(entry, 0x44, left);
    PutU32(entry, 0x48, right);
    PutU32(entry, 0x4C, child);
    PutU32(entry, 0x74, start);
    PutU32(entry, 0x78, size);
    return entry;
  }

  std::uint32_t sector_size_;
  bool scattered_ = false;
  std::vector<std::pair<std::string, std::string>> streams_;
};

}  // namespace kestrilo::testing_support
