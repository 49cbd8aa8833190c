// SPDX-License-Identifier: MIT

#pragma once

// Shared helpers of the workbook-window tests: a small workbook built in
// memory and mouse gestures on the grid.

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QHeaderView>
#include <QTest>
#include <memory>

#include "engine/model/workbook.h"
#include "gui/spreadsheet/name_box.h"
#include "gui/spreadsheet/sheet_grid.h"

namespace kestrilo::testing {

/// Sheets "Data" (a header row and four records, with an error cell at E3),
/// "Secret" (hidden) and "Totals".
inline std::unique_ptr<Workbook> SampleWorkbook(
    const std::string& path = "/tmp/sample.xlsx") {
  auto workbook = std::make_unique<Workbook>(path, "xlsx");
  Sheet& data = workbook->AddSheet("Data", false);
  data.SetText(1, 1, "Name");
  data.SetText(1, 2, "Qty");
  data.SetText(1, 3, "Price");
  data.SetText(1, 4, "Delivered");
  data.SetText(1, 5, "Ratio");
  const char* names[] = {"Bolt", "Nut", "Washer", "Spring"};
  for (int i = 0; i < 4; ++i) {
    data.SetText(i + 2, 1, names[i]);
    data.SetNumber(i + 2, 2, 10 * (i + 1));
    data.SetNumber(i + 2, 3, 1.5 + i);
    data.SetDateTime(i + 2, 4, 44439 + i, false);  // 2021-08-31 ...
    data.SetBoolean(i + 2, 5, i % 2 == 0);
  }
  data.SetError(3, 5, "#DIV/0!");
  data.Finish();
  Sheet& secret = workbook->AddSheet("Secret", true);
  secret.SetText(1, 1, "hidden");
  secret.Finish();
  Sheet& totals = workbook->AddSheet("Totals", false);
  totals.SetNumber(2, 2, 42);
  totals.Finish();
  return workbook;
}

/// Names of the sample workbook: "Parts" (Data!A1:C5) and "Answer"
/// (Data!B2:B5) of the workbook, "Answer" of sheet Totals (Totals!B2), the
/// table "Stock" (Data!A1:E5) and "Rates", a formula that is no block.
inline void AddSampleNames(Workbook& workbook) {
  auto add = [&](const char* name, BlockNameKind kind, int scope, int sheet,
                 BlockGeometry block) {
    BlockName entry;
    entry.name = name;
    entry.kind = kind;
    entry.scope_sheet = scope;
    entry.sheet = sheet;
    entry.block = block;
    workbook.AddName(entry);
  };
  add("Parts", BlockNameKind::kDefinedName, -1, 0, {1, 5, 1, 3});
  add("Answer", BlockNameKind::kDefinedName, 2, 2, {2, 1, 2, 1});
  add("Answer", BlockNameKind::kDefinedName, -1, 0, {2, 4, 2, 1});
  add("Stock", BlockNameKind::kTable, -1, 0, {1, 5, 1, 5});
  BlockName rates;
  rates.name = "Rates";
  rates.definition = "=0.2";
  rates.unusable_reason = "refers to a formula";
  workbook.AddName(rates);
}

/// Picks the entry `label` from the name box's drop-down with the mouse.
inline bool PickName(gui::NameBox& box, const QString& label) {
  const int row = box.findText(label);
  if (row < 0) return false;
  box.showPopup();
  QAbstractItemView* list = box.view();
  if (!QTest::qWaitForWindowExposed(list->window())) return false;
  const QPoint point = list->visualRect(box.model()->index(row, 0)).center();
  QTest::mouseMove(list->viewport(), point);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, point);
  return !list->isVisible();
}

/// The centre of a cell (1-based) in the grid's viewport.
inline QPoint CellCenter(const gui::SheetGrid& grid, int row, int column) {
  return grid.visualRect(grid.model()->index(row - 1, column - 1)).center();
}

/// Presses on one cell, drags to another and releases there.
inline void Drag(gui::SheetGrid& grid, int from_row, int from_column,
                 int to_row, int to_column,
                 Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QWidget* viewport = grid.viewport();
  QTest::mousePress(viewport, Qt::LeftButton, modifiers,
                    CellCenter(grid, from_row, from_column));
  QTest::mouseMove(viewport, CellCenter(grid, to_row, to_column));
  QTest::mouseRelease(viewport, Qt::LeftButton, modifiers,
                      CellCenter(grid, to_row, to_column));
}

inline void Click(gui::SheetGrid& grid, int row, int column,
                  Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, modifiers,
                    CellCenter(grid, row, column));
}

/// The centre of a header section (0-based logical index) in the header's
/// viewport.
inline QPoint SectionCenter(const QHeaderView& header, int section) {
  const int middle =
      header.sectionViewportPosition(section) + header.sectionSize(section) / 2;
  return header.orientation() == Qt::Horizontal
             ? QPoint(middle, header.height() / 2)
             : QPoint(header.width() / 2, middle);
}

/// Presses on one header section, drags to another and releases.
inline void DragHeader(QHeaderView& header, int from, int to,
                       Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QWidget* viewport = header.viewport();
  QTest::mousePress(viewport, Qt::LeftButton, modifiers,
                    SectionCenter(header, from));
  QTest::mouseMove(viewport, SectionCenter(header, to));
  QTest::mouseRelease(viewport, Qt::LeftButton, modifiers,
                      SectionCenter(header, to));
}

}  // namespace kestrilo::testing
