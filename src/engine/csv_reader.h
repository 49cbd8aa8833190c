#pragma once

#include <memory>
#include <string>

#include "engine/workbook.h"

namespace kestrilo {

/// Reads a delimited text file (RFC 4180) as a workbook of one sheet named
/// after the file, every field a text. The delimiter is found from the first
/// record among ",", ";" and TAB; UTF-8 with or without a byte-order mark,
/// and text that is not valid UTF-8 is read as Windows-1252.
std::unique_ptr<Workbook> ReadCsv(const std::string& path);

}  // namespace kestrilo
