// SPDX-License-Identifier: MIT

#include "engine/reading/zip/zip_archive.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "engine/input/workbook_error.h"
#include "engine/reading/zip/background_inflater.h"
#include "test_package.h"

namespace kestrilo {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using testing_support::TestFilePath;
using testing_support::WritePackage;

std::string ReasonOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const WorkbookError& error) {
    return error.what();
  }
  return "no error";
}

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// A text that deflates well but is not trivial.
std::string LongText() {
  std::string text;
  for (int i = 0; i < 50000; ++i)
    text += "<c r=\"A" + std::to_string(i) + "\"/>";
  return text;
}

TEST(ZipArchiveTest, ListsAndReadsEntries) {
  const std::string path =
      WritePackage("list.zip", {{"a.txt", "alpha"}, {"dir/B.xml", "<b/>"}});
  ZipArchive zip(path);
  EXPECT_THAT(zip.EntryNames(), ElementsAre("a.txt", "dir/B.xml"));
  EXPECT_EQ(zip.Read("a.txt"), "alpha");
  EXPECT_EQ(zip.EntrySize("dir/B.xml"), 4u);
  EXPECT_FALSE(zip.EntrySize("nothing"));
}

TEST(ZipArchiveTest, FindsNamesWithLeadingSlashOrOtherCase) {
  ZipArchive zip(WritePackage("names.zip", {{"xl/Workbook.xml", "w"}}));
  EXPECT_TRUE(zip.Contains("/xl/Workbook.xml"));
  EXPECT_TRUE(zip.Contains("XL/WORKBOOK.XML"));
  EXPECT_EQ(zip.Read("/xl/workbook.xml"), "w");
  EXPECT_FALSE(zip.Contains("xl/workbook.xm"));
}

TEST(ZipArchiveTest, ChunksAndBufferHoldTheSameBytes) {
  const std::string text = LongText();
  ZipArchive zip(WritePackage("chunks.zip", {{"big.xml", text}}));
  std::string joined;
  zip.ReadChunks("big.xml", [&](std::string_view chunk) { joined += chunk; });
  EXPECT_EQ(joined, text);
  std::string buffer(text.size(), '\0');
  std::uint64_t last = 0;
  zip.ReadInto("big.xml", buffer.data(), [&](std::uint64_t done) {
    EXPECT_GT(done, last);
    last = done;
    return true;
  });
  EXPECT_EQ(last, text.size());
  EXPECT_EQ(buffer, text);
}

TEST(ZipArchiveTest, BackgroundInflaterDeliversTheWholeEntry) {
  const std::string text = LongText();
  ZipArchive zip(WritePackage("background.zip", {{"big.xml", text}}));
  BackgroundInflater inflater(zip, "big.xml");
  std::size_t have = 0;
  for (;;) {
    const std::size_t now = inflater.WaitBeyond(have);
    if (now == have) break;
    have = now;
  }
  ASSERT_EQ(have, text.size());
  EXPECT_EQ(std::string(inflater.data(), have), text);
}

TEST(ZipArchiveTest, RefusesMissingFilesAndNonZips) {
  EXPECT_THAT(ReasonOf([] { ZipArchive zip(TestFilePath("absent.zip")); }),
              HasSubstr("does not exist"));
  const std::string text_file = TestFilePath("plain.zip");
  WriteBytes(text_file, "just some text, long enough to be looked at");
  EXPECT_THAT(ReasonOf([&] { ZipArchive zip(text_file); }),
              HasSubstr("not a zip archive"));
}

TEST(ZipArchiveTest, MissingEntryIsNamed) {
  ZipArchive zip(WritePackage("missing.zip", {{"a", "1"}}));
  EXPECT_THAT(ReasonOf([&] { zip.Read("xl/styles.xml"); }),
              HasSubstr("the part xl/styles.xml is missing"));
}

TEST(ZipArchiveTest, EnforcesTheSizeCap) {
  ZipArchive zip(WritePackage("cap.zip", {{"big", LongText()}}));
  EXPECT_THAT(ReasonOf([&] { zip.Read("big", 1000); }), HasSubstr("too large"));
}

// Sets the 32-bit field at `at` of a zip header to `value`.
void SetField(std::string& bytes, std::size_t at, std::uint32_t value) {
  ASSERT_LE(at + 4, bytes.size());
  for (int i = 0; i < 4; ++i) {
    bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  }
}

// Rewrites the uncompressed size of the first entry in the central
// directory, as a crafted archive would.
std::string WithStatedSize(std::string bytes, std::uint32_t size) {
  SetField(bytes, bytes.find("PK\x01\x02") + 24, size);
  return bytes;
}

TEST(ZipArchiveTest, RefusesStatedSizesThatLie) {
  const std::string text = LongText();
  const std::string original =
      FileBytes(WritePackage("lie.zip", {{"e", text}}));
  const std::string bomb = TestFilePath("bomb.zip");
  WriteBytes(bomb, WithStatedSize(original, 0x3FFFFFFF));
  EXPECT_THAT(ReasonOf([&] { ZipArchive(bomb).Read("e"); }),
              HasSubstr("cannot hold"));
  const std::string shorter = TestFilePath("shorter.zip");
  WriteBytes(shorter, WithStatedSize(original, 100));
  EXPECT_THAT(ReasonOf([&] { ZipArchive(shorter).Read("e"); }),
              HasSubstr("the part e "));
  std::size_t seen = 0;
  EXPECT_THAT(ReasonOf([&] {
                ZipArchive(shorter).ReadChunks(
                    "e", [&](std::string_view chunk) { seen += chunk.size(); });
              }),
              HasSubstr("the part e "));
  EXPECT_LE(seen, 100u);
}

// A directory entry whose 32-bit size says "see the 64-bit one" without
// one, or whose data lies outside the file, is damage, not a missing file
// nor a bad argument.
TEST(ZipArchiveTest, DamagedDirectoryIsNamedAsDamage) {
  const std::string original =
      FileBytes(WritePackage("directory.zip", {{"e", LongText()}}));
  const std::string sized = TestFilePath("sized.zip");
  WriteBytes(sized, WithStatedSize(original, 0xFFFFFFFF));
  const std::string reason = ReasonOf([&] { ZipArchive zip(sized); });
  EXPECT_THAT(reason, HasSubstr("damaged"));
  EXPECT_THAT(reason, Not(HasSubstr("not exist")));
  for (const std::uint32_t offset : {0x7FFFFFF0u, 50u}) {
    std::string bytes = original;
    const std::size_t central = bytes.find("PK\x01\x02");
    for (int i = 0; i < 4; ++i) {
      bytes[central + 42 + i] = static_cast<char>((offset >> (8 * i)) & 0xFF);
    }
    const std::string placed = TestFilePath("placed.zip");
    WriteBytes(placed, bytes);
    const std::string why = ReasonOf([&] { ZipArchive(placed).Read("e"); });
    EXPECT_THAT(why, HasSubstr("the part e is damaged")) << offset;
    EXPECT_THAT(why, Not(HasSubstr("Invalid argument"))) << offset;
  }
}

TEST(ZipArchiveTest, DamagedDataIsReported) {
  const std::string text = LongText();
  std::string bytes = FileBytes(WritePackage("damaged.zip", {{"e", text}}));
  bytes[bytes.find("PK\x03\x04") + 30 + 1 + 200] ^= 0x55;  // inside the data
  const std::string damaged = TestFilePath("damaged2.zip");
  WriteBytes(damaged, bytes);
  ZipArchive zip(damaged);
  EXPECT_THAT(ReasonOf([&] { zip.Read("e"); }), HasSubstr("damaged"));
  BackgroundInflater inflater(zip, "e");
  EXPECT_THAT(ReasonOf([&] { inflater.WaitAll(); }), HasSubstr("damaged"));
}

// `bytes` with a 32-bit field of the first entry set to `value` in both
// the local and the central header, at their offsets `local` and
// `central`.
std::string WithEntryField(std::string bytes, std::size_t local,
                           std::size_t central, std::uint32_t value) {
  SetField(bytes, bytes.find("PK\x03\x04") + local, value);
  SetField(bytes, bytes.find("PK\x01\x02") + central, value);
  return bytes;
}

// Sound compressed data whose checksum is not the one stated, and data cut
// short of its end, are told apart, whichever way the entry is read; so is
// a stored entry, which is read as it lies.
TEST(ZipArchiveTest, ChecksumsAndCutDataAreReported) {
  const std::string text = LongText();
  const std::string original =
      FileBytes(WritePackage("sound.zip", {{"e", text}}));
  const std::string checksum = TestFilePath("checksum.zip");
  WriteBytes(checksum, WithEntryField(original, 14, 16, 0x12345678));
  const std::string cut = TestFilePath("cut.zip");
  WriteBytes(cut, WithEntryField(original, 18, 20, 1000));
  for (const auto& [path, reason] :
       {std::pair{checksum, "the part e is damaged (checksum mismatch)"},
        std::pair{cut, "the part e is truncated or unreadable"}}) {
    ZipArchive zip(path);
    EXPECT_THAT(ReasonOf([&] { zip.Read("e"); }), HasSubstr(reason));
    EXPECT_THAT(ReasonOf([&] { zip.ReadChunks("e", [](std::string_view) {}); }),
                HasSubstr(reason));
    BackgroundInflater inflater(zip, "e");
    EXPECT_THAT(ReasonOf([&] { inflater.WaitAll(); }), HasSubstr(reason));
  }
  const std::string stored =
      WritePackage("stored.zip", {{"e", text}}, /*compress=*/false);
  EXPECT_EQ(ZipArchive(stored).Read("e"), text);
  const std::string stored_checksum = TestFilePath("stored_checksum.zip");
  WriteBytes(stored_checksum,
             WithEntryField(FileBytes(stored), 14, 16, 0x12345678));
  EXPECT_THAT(ReasonOf([&] { ZipArchive(stored_checksum).Read("e"); }),
              HasSubstr("the part e is damaged (checksum mismatch)"));
}

}  // namespace
}  // namespace kestrilo
