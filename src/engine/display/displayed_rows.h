// SPDX-License-Identifier: MIT

#pragma once

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "engine/display/style_formats.h"
#include "engine/model/row_sink.h"

namespace kestrilo {

/// Passes the rows a reader sends on to another RowSink with each cell's
/// value replaced by the text it shows: rendered with the number format of
/// its style (StyleFormats), General numbers as a spreadsheet shows them
/// in a standard column (at most 11 characters), booleans TRUE or FALSE,
/// errors their code. Cells of a reader that keeps no styles show as
/// General.
class DisplayedRows : public RowSink {
 public:
  explicit DisplayedRows(RowSink& next);
  ~DisplayedRows() override;

  void AddRow(std::int32_t row, std::span<const RowCell> cells) override;
  SheetLayout* layout() override { return next_.layout(); }
  void UseStyles(const StyleTable& styles) override;

 private:
  RowSink& next_;
  std::unique_ptr<StyleFormats> formats_;
  std::vector<RowCell> row_;
  std::vector<std::size_t> ends_;  // of each cell's text in texts_
  std::string texts_;
  std::string text_;
};

}  // namespace kestrilo
