#include "engine/reading/csv/csv_reader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string_view>

#include "engine/reading/input_file.h"
#include "engine/reading/text_decoding.h"
#include "engine/reading/workbook_error.h"

namespace kestrilo {

namespace {

constexpr const char* kNotText =
    "not a text file: it holds NUL bytes (a binary file with a text-file "
    "extension?)";

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// UTF-16 written without a byte-order mark shows itself by zero bytes in
// every other position of mostly-ASCII text. Returns 1 for little endian,
// 2 for big endian, 0 otherwise.
int GuessUtf16(std::string_view bytes) {
  const std::size_t sample = std::min<std::size_t>(bytes.size(), 4096) & ~1u;
  if (sample < 2) return 0;
  std::size_t zero_even = 0, zero_odd = 0;
  for (std::size_t i = 0; i < sample; i += 2) {
    zero_even += bytes[i] == '\0';
    zero_odd += bytes[i + 1] == '\0';
  }
  const std::size_t pairs = sample / 2;
  if (zero_even == 0 && zero_odd * 2 >= pairs) return 1;
  if (zero_odd == 0 && zero_even * 2 >= pairs) return 2;
  return 0;
}

// Converts the file's bytes to UTF-8 text.
std::string DecodeText(const std::string& path, std::string bytes) {
  std::string text;
  if (StartsWith(bytes, "\xEF\xBB\xBF")) {
    text = std::string_view(bytes).substr(3);
    if (!IsValidUtf8(text)) text = RepairUtf8(text);
  } else if (StartsWith(bytes, "\xFF\xFE")) {
    text = Utf16ToUtf8(std::string_view(bytes).substr(2), false);
  } else if (StartsWith(bytes, "\xFE\xFF")) {
    text = Utf16ToUtf8(std::string_view(bytes).substr(2), true);
  } else if (const int utf16 = GuessUtf16(bytes); utf16 != 0) {
    text = Utf16ToUtf8(bytes, utf16 == 2);
  } else if (IsValidUtf8(bytes)) {
    text = std::move(bytes);
  } else {
    text = Windows1252ToUtf8(bytes);
  }
  if (std::memchr(text.data(), '\0', text.size()) != nullptr) {
    throw WorkbookError(path, kNotText);
  }
  return text;
}

// Excel's own convention: a first line "sep=X" names the delimiter and is
// no data. Returns the number of bytes to skip (0 when there is no such
// line) and sets `delimiter`.
std::size_t SeparatorLine(std::string_view text, char& delimiter) {
  if (text.size() < 5 ||
      !(StartsWith(text, "sep=") || StartsWith(text, "SEP="))) {
    return 0;
  }
  std::size_t end = 5;
  if (end < text.size() && text[end] != '\r' && text[end] != '\n') return 0;
  if (text[4] == '\r' || text[4] == '\n' || text[4] == '"') return 0;
  delimiter = text[4];
  if (end < text.size() && text[end] == '\r') ++end;
  if (end < text.size() && text[end] == '\n') ++end;
  return end;
}

// The delimiter is whichever of ',' ';' and TAB occurs most often outside
// quotes in the first record; ties go to ',' before ';' before TAB, and a
// record without any of them is one column (',').
char DetectDelimiter(std::string_view text) {
  std::size_t commas = 0, semicolons = 0, tabs = 0;
  bool quoted = false;
  for (const char c : text) {
    if (c == '"') {
      quoted = !quoted;
    } else if (!quoted) {
      if (c == '\n' || c == '\r') break;
      commas += c == ',';
      semicolons += c == ';';
      tabs += c == '\t';
    }
  }
  if (semicolons > commas && semicolons >= tabs) return ';';
  if (tabs > commas && tabs > semicolons) return '\t';
  return ',';
}

// RFC 4180 records, with the leniency of spreadsheet applications: a quote
// inside an unquoted field is an ordinary character, text after a closing
// quote belongs to the field, and an unterminated quote runs to the end.
// Line breaks inside quotes are kept as they are. Empty fields leave their
// cell empty.
class CsvParser {
 public:
  CsvParser(const std::string& path, std::string_view text, char delimiter,
            Sheet& sheet)
      : path_(path), text_(text), delimiter_(delimiter), sheet_(sheet) {}

  void Parse() {
    const std::size_t size = text_.size();
    while (pos_ < size) {
      if (text_[pos_] == '"') {
        ReadQuotedField();
      } else {
        const std::size_t start = pos_;
        SkipToFieldEnd();
        Put(text_.substr(start, pos_ - start));
      }
      if (pos_ >= size) break;
      if (text_[pos_] == delimiter_) {
        ++pos_;
        ++column_;
        continue;
      }
      // A line end: CR LF, LF or CR alone.
      if (text_[pos_] == '\r' && pos_ + 1 < size && text_[pos_ + 1] == '\n') {
        ++pos_;
      }
      ++pos_;
      ++row_;
      column_ = 1;
    }
  }

 private:
  void SkipToFieldEnd() {
    const char* data = text_.data();
    const std::size_t size = text_.size();
    while (pos_ < size) {
      const char c = data[pos_];
      if (c == delimiter_ || c == '\n' || c == '\r') break;
      ++pos_;
    }
  }

  void ReadQuotedField() {
    field_.clear();
    ++pos_;  // the opening quote
    const std::size_t size = text_.size();
    while (pos_ < size) {
      const void* found = std::memchr(text_.data() + pos_, '"', size - pos_);
      if (found == nullptr) {
        field_.append(text_.substr(pos_));
        pos_ = size;
        break;
      }
      const std::size_t quote = static_cast<std::size_t>(
          static_cast<const char*>(found) - text_.data());
      field_.append(text_.substr(pos_, quote - pos_));
      pos_ = quote + 1;
      if (pos_ < size && text_[pos_] == '"') {
        field_.push_back('"');
        ++pos_;
      } else {
        break;
      }
    }
    const std::size_t rest = pos_;
    SkipToFieldEnd();
    field_.append(text_.substr(rest, pos_ - rest));
    Put(field_);
  }

  void Put(std::string_view field) {
    if (field.empty()) return;
    if (row_ > kMaxRows) {
      throw WorkbookError(path_, "the file has more than " +
                                     std::to_string(kMaxRows) +
                                     " records, more than a worksheet holds");
    }
    if (column_ > kMaxColumns) {
      throw WorkbookError(path_, "record " + std::to_string(row_) +
                                     " has more than " +
                                     std::to_string(kMaxColumns) +
                                     " fields, more than a worksheet holds");
    }
    sheet_.SetText(static_cast<std::int32_t>(row_),
                   static_cast<std::int32_t>(column_), field);
  }

  const std::string& path_;
  std::string_view text_;
  char delimiter_;
  Sheet& sheet_;
  std::size_t pos_ = 0;
  // Wider than a sheet's coordinates: a 2 GB file can count past 2^31.
  std::int64_t row_ = 1;
  std::int64_t column_ = 1;
  std::string field_;
};

}  // namespace

std::unique_ptr<Workbook> ReadCsv(const std::string& path) {
  return ReadCsvBytes(path, InputFile(path, true).ReadAll(CheckCsvStart(path)));
}

std::function<void(std::string_view)> CheckCsvStart(const std::string& path) {
  return [path](std::string_view start) {
    if (std::memchr(start.data(), '\0', start.size()) == nullptr) return;
    if (StartsWith(start, "\xFF\xFE") || StartsWith(start, "\xFE\xFF") ||
        GuessUtf16(start) != 0) {
      return;
    }
    throw WorkbookError(path, kNotText);
  };
}

std::unique_ptr<Workbook> ReadCsvBytes(const std::string& path,
                                       std::string bytes) {
  // A file of zero bytes is more likely a failed copy or download than a
  // table: say so rather than show an empty sheet.
  if (bytes.empty()) throw WorkbookError(path, "the file is empty");
  const std::string text = DecodeText(path, std::move(bytes));
  std::string_view records = text;
  char delimiter = 0;
  records.remove_prefix(SeparatorLine(records, delimiter));
  if (delimiter == 0) delimiter = DetectDelimiter(records);

  auto workbook = std::make_unique<Workbook>(path, "csv");
  Sheet& sheet =
      workbook->AddSheet(std::filesystem::path(path).stem().string(), false);
  CsvParser(path, records, delimiter, sheet).Parse();
  sheet.Finish();
  return workbook;
}

}  // namespace kestrilo
