// SPDX-License-Identifier: MIT

#include "engine/reading/xls/compound_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "biff_test_writer.h"
#include "engine/input/workbook_error.h"

namespace kestrilo {
namespace {

using testing::ElementsAre;
using testing::HasSubstr;
using testing_support::CompoundFileWriter;
using testing_support::PutU32;

std::string Pattern(std::size_t size, int seed) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) {
    bytes[i] = static_cast<char>((i * 131 + seed * 7 + i / 251) & 0xFF);
  }
  return bytes;
}

std::string ErrorOf(const std::string& bytes) {
  try {
    CompoundFile file("test.xls", bytes);
    file.ReadStream("Workbook");
  } catch (const WorkbookError& error) {
    EXPECT_EQ(error.path(), "test.xls");
    return error.reason();
  }
  return "";
}

// The first sector of the allocation table, as the header lists it.
std::size_t FatOffset(const std::string& file) {
  const auto* b = reinterpret_cast<const unsigned char*>(file.data() + 0x4C);
  const std::uint32_t sector = b[0] | (b[1] << 8) | (b[2] << 16) | (b[3] << 24);
  return (static_cast<std::size_t>(sector) + 1) * 512;
}

TEST(CompoundFileTest, ReadsLargeAndSmallStreamsByName) {
  CompoundFileWriter writer;
  const std::string large = Pattern(70000, 1);
  const std::string small = Pattern(1000, 2);
  writer.AddStream("Workbook", large);
  writer.AddStream("\x05SummaryInformation", small);
  writer.AddStream("Empty", "");
  const CompoundFile file("test.xls", writer.Build());

  EXPECT_EQ(file.ReadStream("Workbook"), large);
  EXPECT_EQ(file.ReadStream("WORKBOOK"), large) << "names ignore case";
  EXPECT_EQ(file.ReadStream("\x05SummaryInformation"), small);
  EXPECT_EQ(file.ReadStream("Empty"), "");
  EXPECT_TRUE(file.HasStream("workbook"));
  EXPECT_FALSE(file.HasStream("Book"));
  EXPECT_THAT(file.StreamNames(),
              ElementsAre("Empty", "Workbook", "\x05SummaryInformation"));
}

TEST(CompoundFileTest, FollowsTheDifatBeyond109AllocationSectors) {
  // 8 MB need about 130 allocation sectors: the header lists 109 of them,
  // the rest come from a DIFAT sector.
  CompoundFileWriter writer;
  const std::string large = Pattern(8 << 20, 3);
  writer.AddStream("Workbook", large);
  const CompoundFile file("big.xls", writer.Build());
  EXPECT_EQ(file.ReadStream("Workbook"), large);
}

TEST(CompoundFileTest, ReadsVersion4WithLargeSectors) {
  CompoundFileWriter writer(4096);
  const std::string large = Pattern(200000, 11);
  const std::string small = Pattern(3000, 12);
  writer.AddStream("Workbook", large);
  writer.AddStream("EncryptionInfo", small);
  const std::string bytes = writer.Build();
  ASSERT_EQ(bytes[0x1A], 4);
  const CompoundFile file("v4.xls", bytes);
  EXPECT_EQ(file.ReadStream("Workbook"), large);
  EXPECT_EQ(file.ReadStream("EncryptionInfo"), small);
}

TEST(CompoundFileTest, MissingStreamIsAnErrorNamingIt) {
  CompoundFileWriter writer;
  writer.AddStream("WordDocument", Pattern(5000, 4));
  const CompoundFile file("letter.doc", writer.Build());
  try {
    file.ReadStream("Workbook");
    FAIL() << "no error";
  } catch (const WorkbookError& error) {
    EXPECT_EQ(error.path(), "letter.doc");
    EXPECT_THAT(error.reason(), HasSubstr("Workbook"));
  }
}

TEST(CompoundFileTest, RefusesWhatIsNoCompoundFile) {
  EXPECT_THAT(ErrorOf(""), HasSubstr("not a compound file"));
  EXPECT_THAT(ErrorOf(std::string(600, 'x')), HasSubstr("not a compound file"));
  CompoundFileWriter writer;
  writer.AddStream("Workbook", Pattern(5000, 5));
  EXPECT_THAT(ErrorOf(writer.Build().substr(0, 300)), HasSubstr("truncated"));
}

TEST(CompoundFileTest, DamagedChainsAndSizesAreErrorsNotHangs) {
  CompoundFileWriter writer;
  writer.AddStream("Workbook", Pattern(5000, 6));
  const std::string good = writer.Build();
  // The stream's sectors come first: 0 to 9, chained 0 -> 1 -> ... -> 9.
  const std::size_t fat = FatOffset(good);

  std::string loop = good;
  PutU32(loop, fat + 4 * 5, 2);  // sector 5 leads back to 2
  EXPECT_THAT(ErrorOf(loop), HasSubstr("loops"));

  std::string outside = good;
  PutU32(outside, fat + 4 * 3, 0x00FFFFFF);
  EXPECT_THAT(ErrorOf(outside), HasSubstr("outside the allocation table"));

  std::string early_end = good;
  PutU32(early_end, fat + 4 * 3, CompoundFileWriter::kEnd);
  EXPECT_THAT(ErrorOf(early_end), HasSubstr("ends before its stated size"));

  std::string cut = good.substr(0, 512 * 6);  // the stream runs to sector 9
  EXPECT_FALSE(ErrorOf(cut).empty());

  std::string huge_fat = good;
  PutU32(huge_fat, 0x2C, 0x7FFFFFFF);  // allocation sector count
  EXPECT_THAT(ErrorOf(huge_fat), HasSubstr("more than the file holds"));

  std::string bad_sector_size = good;
  bad_sector_size[0x1E] = 30;
  EXPECT_THAT(ErrorOf(bad_sector_size), HasSubstr("sector size"));
}

TEST(CompoundFileTest, ScatteredSectorsAreReadInPlaceInChainOrder) {
  const std::string content = Pattern(5000, 11);
  CompoundFileWriter writer;
  writer.ScatterSectors();
  writer.AddStream("Workbook", content);
  std::string file = writer.Build();
  const CompoundFile compound("test.xls", file);
  CompoundStream stream = compound.OpenStream("Workbook");
  ASSERT_EQ(stream.size(), content.size());
  EXPECT_EQ(stream.Contiguous(500).size(), 12u) << "to the sector's end";
  std::string scratch;
  for (const std::size_t at : {0, 500, 510, 1023, 4990, 5000}) {
    EXPECT_EQ(stream.Read(at, 40, &scratch), content.substr(at, 40)) << at;
  }
  EXPECT_EQ(stream.Copy(), content);

  // The stream's ten sectors lie in reverse, 9 -> 8 -> ... -> 0.
  PutU32(file, FatOffset(file) + 4 * 4, 7);  // sector 4 leads back to 7
  EXPECT_THAT(ErrorOf(file), HasSubstr("loops"));
}

TEST(CompoundFileTest, HugeClaimedStreamSizeIsAnError) {
  CompoundFileWriter writer;
  writer.AddStream("Workbook", Pattern(5000, 7));
  std::string file = writer.Build();
  // The directory follows the stream's ten sectors; entry 1 is Workbook.
  const std::size_t entry = 512 * 11 + 128;
  ASSERT_EQ(file[entry], 'W');
  PutU32(file, entry + 0x78, 0xFFFFFF00);
  EXPECT_THAT(ErrorOf(file), HasSubstr("more than the whole file"));
}

TEST(CompoundFileTest, DirectorySiblingLoopDoesNotHang) {
  CompoundFileWriter writer;
  writer.AddStream("Workbook", Pattern(5000, 8));
  writer.AddStream("Other", Pattern(100, 9));
  std::string file = writer.Build();
  // Sectors: Workbook (10), mini stream, mini allocation table, directory.
  const std::size_t directory = 512 * 13;
  // Entry 2 (Workbook, the longer name) points back to entry 1.
  PutU32(file, directory + 2 * 128 + 0x44, 1);
  PutU32(file, directory + 2 * 128 + 0x48, 2);
  const CompoundFile compound("test.xls", file);
  EXPECT_EQ(compound.StreamNames().size(), 2u);
}

TEST(CompoundFileTest, SmallStreamWithBrokenMiniChainIsAnError) {
  CompoundFileWriter writer;
  writer.AddStream("Workbook", Pattern(300, 10));
  std::string file = writer.Build();
  // Sectors: mini stream (1), mini allocation table (1), directory (1).
  const std::size_t mini_fat = 512 * 2;
  PutU32(file, mini_fat + 4 * 2, 1);  // mini sector 2 leads back to 1
  EXPECT_THAT(ErrorOf(file), HasSubstr("loops"));
}

}  // namespace
}  // namespace kestrilo
