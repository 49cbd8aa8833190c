#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "engine/model/workbook.h"

namespace kestrilo {

/// Reads a delimited text file (RFC 4180) as a workbook of one sheet named
/// after the file, every field a text. The delimiter is found from the first
/// record among ",", ";" and TAB; UTF-8 with or without a byte-order mark,
/// and text that is not valid UTF-8 is read as Windows-1252.
std::unique_ptr<Workbook> ReadCsv(const std::string& path);

/// The same, for a file's bytes already read; `path` names it.
std::unique_ptr<Workbook> ReadCsvBytes(const std::string& path,
                                       std::string bytes);

/// A check of a text file's first bytes, for InputFile::ReadAll(): refuses
/// at once what is plainly no text (NUL bytes outside UTF-16), so that an
/// endless binary stream is not read up to the budget first.
std::function<void(std::string_view)> CheckCsvStart(const std::string& path);

}  // namespace kestrilo
