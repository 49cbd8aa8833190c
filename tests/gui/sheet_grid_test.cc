// SPDX-License-Identifier: MIT
// The grid draws a sheet as spreadsheets do: the column widths, row
// heights and hidden columns and rows the file stores, cells in their
// number formats, fonts, colours, fills and alignments, General numbers
// rounded to their column, texts spilling into empty neighbours, "###" for
// numbers too wide for their column, merged areas as one cell; and header
// borders resize.

#include "gui/spreadsheet/sheet_grid.h"

#include <zip.h>

#include <QHeaderView>
#include <QImage>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <memory>
#include <sstream>

#include "../engine/support/biff_test_writer.h"
#include "engine/model/workbook.h"
#include "engine/reading/workbook_reader.h"
#include "engine/reading/xls/xls_reader.h"
#include "gui/spreadsheet/cell_painter.h"
#include "gui/spreadsheet/grid_colors.h"
#include "gui/spreadsheet/section_sizes.h"
#include "gui/spreadsheet/sheet_model.h"

namespace kestrilo::gui {

namespace {

using namespace testing_support;

const std::string kFixtures = KESTRILO_FIXTURES_DIR "/";

// A BIFF8 workbook of one sheet "Layout": B:C 20 digits wide (145 px), D
// hidden, row 3 of 30 points, row 5 hidden, A7:C8 merged, "merged" in A7.
std::unique_ptr<Workbook> XlsWithLayout() {
  auto bof = [](std::uint16_t type) {
    return U16(0x0600) + U16(type) + U16(0x0DBB) + U16(1996) + U32(0) + U32(6);
  };
  auto row = [](int number, int twips, int options) {
    return U16(static_cast<std::uint16_t>(number - 1)) + U16(0) + U16(1) +
           U16(static_cast<std::uint16_t>(twips)) + U16(0) + U16(0) +
           U16(static_cast<std::uint16_t>(options)) + U16(15);
  };
  BiffStream stream;
  stream.Record(0x0809, bof(0x0005));
  stream.Record(0x00E0, U16(0) + U16(0) + std::string(16, '\0'));
  const std::size_t position = stream.size() + 4;
  stream.Record(0x0085, U32(0) + U8(0) + U8(0) + U8(6) + U8(0) + "Layout");
  stream.Record(0x000A, "");
  PutU32(stream.bytes(), position, static_cast<std::uint32_t>(stream.size()));
  stream.Record(0x0809, bof(0x0010));
  stream.Record(0x007D, U16(1) + U16(2) + U16(5302) + U16(0) + U16(0) + U16(0));
  stream.Record(0x007D, U16(3) + U16(3) + U16(2340) + U16(0) + U16(1) + U16(0));
  stream.Record(0x0208, row(3, 600, 0x40));
  stream.Record(0x0208, row(5, 300, 0x20));
  stream.Record(0x0204, U16(6) + U16(0) + U16(0) + U16(6) + U8(0) + "merged");
  stream.Record(0x00E5, U16(1) + U16(6) + U16(7) + U16(0) + U16(2));
  stream.Record(0x000A, "");
  CompoundFileWriter writer;
  writer.AddStream("Workbook", stream.bytes());
  return ReadXlsBytes("layout.xls", writer.Build());
}

// The flat OpenDocument fixture packaged as an ods file in `folder`.
std::string OdsFromFlat(const std::string& flat, const QString& folder) {
  std::ifstream in(flat, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  static std::string parts[2];
  parts[0] = "application/vnd.oasis.opendocument.spreadsheet";
  parts[1] = content.str();
  const std::string path = (folder + "/layout.ods").toStdString();
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  const char* names[] = {"mimetype", "content.xml"};
  for (int i = 0; i < 2; ++i) {
    zip_file_add(
        archive, names[i],
        zip_source_buffer(archive, parts[i].data(), parts[i].size(), 0),
        ZIP_FL_ENC_UTF_8);
  }
  zip_close(archive);
  return path;
}

// Puts `value` into a cell, whatever its kind.
void SetValue(Sheet& sheet, int row, int column, const CellValue& value,
              std::uint32_t style) {
  switch (value.kind) {
    case CellKind::kNumber:
      sheet.SetNumber(row, column, value.number, style);
      break;
    case CellKind::kDateTime:
      sheet.SetDateTime(row, column, value.number, value.time_only, style);
      break;
    case CellKind::kBoolean:
      sheet.SetBoolean(row, column, value.number != 0, style);
      break;
    case CellKind::kError:
      sheet.SetError(row, column, value.text, style);
      break;
    default:
      sheet.SetText(row, column, value.text, style);
  }
}

}  // namespace

class SheetGridTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<Workbook> workbook_;
  std::unique_ptr<SheetGrid> grid_;

  void Show(std::unique_ptr<Workbook> workbook, int sheet = 0) {
    grid_->SetSheet(nullptr);
    workbook_ = std::move(workbook);
    grid_->SetSheet(&workbook_->sheet(sheet));
  }
  Sheet& NewSheet() {
    grid_->SetSheet(nullptr);
    workbook_ = std::make_unique<Workbook>("/tmp/grid.xlsx", "xlsx");
    return workbook_->AddSheet("Grid", false);
  }
  // Shows `style` in the workbook's table; its index.
  std::uint32_t Style(const CellStyle& style) {
    return workbook_->styles().Add(style);
  }
  std::uint32_t Format(const char* code, HorizontalAlignment across = {}) {
    CellStyle style;
    style.format = workbook_->styles().AddFormat(code);
    style.horizontal = across;
    return Style(style);
  }
  void ShowStyled() {
    workbook_->sheet(0).Finish();
    grid_->SetSheet(&workbook_->sheet(0), &workbook_->styles());
  }
  // Column `column` (1-based) just wide enough for `digits` digits.
  void SetDigitsWide(int column, int digits) {
    grid_->setColumnWidth(
        column - 1,
        digits * grid_->fonts().variant(0).digit_width + 2 * kCellPadding + 1);
  }
  int Pixels(float points) const {
    return PointsToPixels(points, grid_->logicalDpiX());
  }
  // The run drawn for the cell at (row, column), 1-based.
  std::optional<TextRun> RunOf(int row, int column) const {
    for (const TextRun& run : grid_->TextRunsShown()) {
      if (run.row == row && run.column == column) return run;
    }
    return std::nullopt;
  }
  // A cell with its own right and bottom grid lines.
  QRect CellRect(int row, int column) const {
    return grid_->visualRect(grid_->model()->index(row - 1, column - 1))
        .adjusted(0, 0, 1, 1);
  }
  // Whether the layout of "Layout" came through: B:C 145 px, D hidden, row
  // 3 of 30 points, row 5 hidden, A7:C8 drawn as one cell.
  void CheckExcelLayout() {
    QCOMPARE(grid_->columnWidth(1), Pixels(108.75F));
    QCOMPARE(grid_->columnWidth(2), Pixels(108.75F));
    QVERIFY(grid_->isColumnHidden(3));
    QCOMPARE(grid_->rowHeight(2), Pixels(30.0F));
    QVERIFY(grid_->isRowHidden(4));
    QVERIFY(!grid_->isRowHidden(3));
    const std::optional<TextRun> merged = RunOf(7, 1);
    QVERIFY(merged.has_value());
    QCOMPARE(merged->text, QString("merged"));
    QCOMPARE(merged->rect.topLeft(), CellRect(7, 1).topLeft());
    QCOMPARE(merged->rect.bottomRight(), CellRect(8, 3).bottomRight());
  }

 private slots:
  void init() {
    grid_ = std::make_unique<SheetGrid>();
    grid_->resize(900, 600);
    grid_->show();
    QVERIFY(QTest::qWaitForWindowExposed(grid_.get()));
  }
  void cleanup() {
    grid_.reset();
    workbook_.reset();
  }

  void DefaultSizesAreExcelsAtTheScreensResolution() {
    NewSheet().Finish();
    grid_->SetSheet(&workbook_->sheet(0));
    QCOMPARE(grid_->columnWidth(0), Pixels(48.0F));
    QCOMPARE(grid_->rowHeight(0), Pixels(15.0F));
    if (grid_->logicalDpiX() == 96) QCOMPARE(grid_->columnWidth(0), 64);
  }

  void SizesComeFromXlsxOdsAndXls() {
    Show(ReadWorkbook(kFixtures + "layout.xlsx"));
    CheckExcelLayout();
    if (QTest::currentTestFailed()) return;
    // A sheet's own default row height.
    Show(ReadWorkbook(kFixtures + "layout.xlsx"), 1);
    QCOMPARE(grid_->rowHeight(5), Pixels(24.0F));

    Show(XlsWithLayout());
    CheckExcelLayout();
    if (QTest::currentTestFailed()) return;

    const QTemporaryDir folder;
    Show(ReadWorkbook(OdsFromFlat(kFixtures + "layout.fods", folder.path())));
    QCOMPARE(grid_->columnWidth(0), Pixels(72.0F));  // 2.54 cm
    QVERIFY(grid_->isColumnHidden(1));
    QVERIFY(grid_->isColumnHidden(2));
    QCOMPARE(grid_->rowHeight(0), Pixels(12.5F));
    const std::optional<TextRun> merged = RunOf(1, 1);
    QVERIFY(merged.has_value());
    QCOMPARE(merged->text, QString("merged"));
    QCOMPARE(merged->rect.bottom(), CellRect(2, 1).bottom());
  }

  void RowsBeyondTheFirstScreenGetTheirSizesWhenReached() {
    Sheet& sheet = NewSheet();
    sheet.SetText(1, 1, "top");
    sheet.layout().AddRows({5000, 5000, 40.0F, false});
    sheet.layout().AddRows({6000, 6000, std::nullopt, true});
    sheet.Finish();
    grid_->SetSheet(&workbook_->sheet(0));
    QVERIFY(grid_->model()->rowCount() < 5000);
    grid_->sheet_model()->Reach(6000, 1);
    QCOMPARE(grid_->rowHeight(4999), Pixels(40.0F));
    QVERIFY(grid_->isRowHidden(5999));
  }

  void DraggingAHeaderBorderResizesWithoutSelecting() {
    NewSheet().Finish();
    grid_->SetSheet(&workbook_->sheet(0));
    QHeaderView* header = grid_->horizontalHeader();
    const int width = grid_->columnWidth(1);
    const int border = header->sectionViewportPosition(1) + width - 1;
    const int y = header->height() / 2;
    QTest::mousePress(header->viewport(), Qt::LeftButton, {}, {border, y});
    QTest::mouseMove(header->viewport(), {border + 40, y});
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, {},
                        {border + 40, y});
    QCOMPARE(grid_->columnWidth(1), width + 40);
    QCOMPARE(grid_->areas(), (std::vector<BlockGeometry>{{1, 1, 1, 1}}));
    // Away from a border the header still selects.
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      {header->sectionViewportPosition(2) + 20, y});
    QCOMPARE(grid_->areas(), (std::vector<BlockGeometry>{{1, kMaxRows, 3, 1}}));
  }

  void LongTextSpillsIntoEmptyNeighboursOnly() {
    Sheet& sheet = NewSheet();
    const std::string long_text = "Read Me: highlight the block, then OK";
    sheet.SetText(1, 1, long_text);  // B1, C1 empty, D1 filled
    sheet.SetText(1, 4, "next");
    sheet.SetText(2, 1, long_text);  // B2 filled
    sheet.SetText(2, 2, "x");
    sheet.SetText(3, 1, "short");
    sheet.Finish();
    grid_->SetSheet(&workbook_->sheet(0));
    const TextRun spilled = *RunOf(1, 1);
    QCOMPARE(spilled.text, QString::fromStdString(long_text));
    QVERIFY(spilled.joined);
    QCOMPARE(spilled.rect.left(), CellRect(1, 1).left());
    QVERIFY(spilled.rect.right() > CellRect(1, 2).right());
    QVERIFY(spilled.rect.right() <= CellRect(1, 3).right());
    QCOMPARE(RunOf(2, 1)->rect, CellRect(2, 1));
    QVERIFY(!RunOf(3, 1)->joined);
    // A text left of the screen still spills into it.
    grid_->horizontalScrollBar()->setValue(1);
    QVERIFY(grid_->columnAt(0) == 1);
    QVERIFY(RunOf(1, 1).has_value());
  }

  void NumbersAndDatesTooWideShowHashes() {
    Sheet& sheet = NewSheet();
    sheet.SetNumber(1, 1, 34225520.64);
    sheet.SetDateTime(2, 1, 39940.459050925925, false);  // 2009-05-07 11:01:02
    sheet.SetNumber(3, 1, 7);
    sheet.SetNumber(1, 3, 34225520.64);
    sheet.SetDateTime(2, 3, 39940.459050925925, false);
    sheet.layout().AddColumns({1, 1, 20.0F, false});
    sheet.layout().AddColumns({3, 3, 150.0F, false});
    sheet.Finish();
    grid_->SetSheet(&workbook_->sheet(0));
    QCOMPARE(RunOf(1, 1)->text, QString("###"));
    QCOMPARE(RunOf(2, 1)->text, QString("###"));
    QCOMPARE(RunOf(3, 1)->text, QString("7"));
    QCOMPARE(RunOf(1, 3)->text, QString("34225520.64"));
    QCOMPARE(RunOf(2, 3)->text, QString("2009-05-07 11:01:02"));
    QVERIFY(!RunOf(1, 1)->joined);  // numbers never spill
  }

  void CellsShowTheirFormatsAndAlignments() {
    using H = HorizontalAlignment;
    const struct {
      const char* format;
      CellValue value;
      int digits;  // the column's width
      const char* shown;
      Qt::Alignment across;
      H horizontal = H::kGeneral;
    } cases[] = {
        {"0.00%", CellValue::Number(0.125), 10, "12.50%", Qt::AlignRight},
        {"h:mm AM/PM", CellValue::DateTime(44439.5729166667), 10, "1:45 PM",
         Qt::AlignRight},
        {"hh:mm", CellValue::DateTime(0.3541666667, true), 10, "08:30",
         Qt::AlignRight},
        // General numbers are rounded to the column; formatted numbers and
        // dates that don't fit show "###".
        {"General", CellValue::Number(1.0 / 7), 8, "0.142857", Qt::AlignRight},
        {"General", CellValue::Number(1.0 / 7), 20, "0.142857143",
         Qt::AlignRight},
        {"General", CellValue::Number(123456789012345.0), 12, "1.23457E+14",
         Qt::AlignRight},
        {"General", CellValue::Number(123456789012345.0), 6, "1E+14",
         Qt::AlignRight},
        {"General", CellValue::Number(2), 1, "2", Qt::AlignRight},
        {"0.00", CellValue::Number(123456.789), 6, "###", Qt::AlignRight},
        {"yyyy-mm-dd", CellValue::DateTime(44439), 6, "###", Qt::AlignRight},
        // General places by kind; a style's alignment wins.
        {"General", CellValue::Boolean(true), 10, "TRUE", Qt::AlignHCenter},
        {"General", CellValue::Error("#N/A"), 10, "#N/A", Qt::AlignHCenter},
        {"General", CellValue::Text("abc"), 10, "abc", Qt::AlignLeft},
        {"@", CellValue::Text("abc"), 10, "abc", Qt::AlignRight, H::kRight},
        {"0.0", CellValue::Number(5), 10, "5.0", Qt::AlignLeft, H::kLeft},
        {"General", CellValue::Number(5), 10, "5", Qt::AlignHCenter,
         H::kCenter},
        {"General", CellValue::Text("ab"), 5, "abab", Qt::AlignLeft, H::kFill},
    };
    for (const auto& c : cases) {
      Sheet& sheet = NewSheet();
      SetValue(sheet, 1, 1, c.value, Format(c.format, c.horizontal));
      ShowStyled();
      SetDigitsWide(1, c.digits);
      const std::optional<TextRun> run = RunOf(1, 1);
      const QString label =
          QString("%1 in %2 digits").arg(c.format).arg(c.digits);
      QVERIFY2(run.has_value(), qPrintable(label));
      QCOMPARE(run->text, QString(c.shown));
      QVERIFY2(run->alignment & c.across, qPrintable(label));
      // The grid's model says the same, in a column wide enough for all.
      if (c.horizontal != H::kFill && QString(c.shown) != "###" &&
          c.format != std::string_view("General")) {
        QCOMPARE(grid_->model()->index(0, 0).data().toString(),
                 QString(c.shown));
      }
    }
  }

  void StylesGiveFontsColoursFillsAndPlaces() {
    Sheet& sheet = NewSheet();
    CellStyle total;
    total.bold = true;
    total.font_color = 0xFFC00000;
    total.fill_color = 0xFFFFF2CC;
    total.vertical = VerticalAlignment::kTop;
    sheet.SetText(1, 1, "Total", Style(total));
    sheet.SetNumber(2, 1, -5, Format("0;[Blue]-0"));
    const std::string long_text = "A longer text than its cell holds";
    CellStyle wrapped;
    wrapped.wrap = true;
    sheet.SetText(3, 1, long_text, Style(wrapped));
    sheet.SetText(4, 3, long_text,
                  Format("General", HorizontalAlignment::kCenter));
    sheet.SetNumber(5, 1, 1234.5, Format("_(\"$\"* #,##0.00_)"));
    ShowStyled();
    grid_->setColumnWidth(0, 150);
    const TextRun bold = *RunOf(1, 1);
    QVERIFY(grid_->fonts().variant(bold.font).font.bold());
    QCOMPARE(bold.color, QColor(0xC0, 0, 0));
    QVERIFY(bold.alignment & Qt::AlignTop);
    QCOMPARE(RunOf(2, 1)->color, QColor(0, 0, 0xFF));  // the format's colour
    // The fill covers the cell; the text stays inside a wrapped cell and
    // spills both ways from a centred one.
    const QImage image = grid_->viewport()->grab().toImage();
    QCOMPARE(image.pixelColor(CellRect(1, 1).bottomRight() - QPoint(2, 2)),
             QColor(0xFF, 0xF2, 0xCC));
    const TextRun wrap = *RunOf(3, 1);
    QVERIFY(wrap.wrap);
    QCOMPARE(wrap.rect, CellRect(3, 1));
    const TextRun centred = *RunOf(4, 3);
    QVERIFY(centred.rect.left() < CellRect(4, 3).left());
    QVERIFY(centred.rect.right() > CellRect(4, 3).right());
    // An accounting format's "* " puts the currency at the left and the
    // number at the right of the cell.
    const TextRun money = *RunOf(5, 1);
    QVERIFY(money.fill_at > 0);
    QCOMPARE(money.fill_with, QString(" "));
    QVERIFY(money.text.left(money.fill_at).contains('$'));
    QVERIFY(money.text.mid(money.fill_at).startsWith("1,234.50"));
  }

  // A wrapped text with more lines than its cell holds shows its first
  // lines, as many as fit whole; never a word of the middle alone.
  void WrappedTextShowsTheLinesThatFitFromTheFirst() {
    Sheet& sheet = NewSheet();
    CellStyle wrap;
    wrap.wrap = true;
    CellStyle top = wrap;
    top.vertical = VerticalAlignment::kTop;
    const std::uint32_t wrapped = Style(wrap);
    const std::uint32_t wrapped_top = Style(top);
    sheet.SetText(2, 2, "alpha beta gamma", wrapped);
    sheet.SetText(3, 2, "alpha beta gamma", wrapped_top);
    sheet.SetText(4, 2, "alpha", wrapped_top);
    sheet.SetText(5, 2, "alpha beta gamma", wrapped);
    ShowStyled();
    const QFontMetrics& metrics = grid_->fonts().variant(0).metrics;
    grid_->setColumnWidth(
        1, metrics.horizontalAdvance("gamma") + 2 * kCellPadding + 4);
    grid_->setRowHeight(4, 4 * metrics.lineSpacing());
    const CellPainter painter(*grid_);
    QCOMPARE(painter.LinesShown(*RunOf(2, 2)), QStringList{"alpha"});
    QCOMPARE(painter.LinesShown(*RunOf(5, 2)),
             (QStringList{"alpha", "beta", "gamma"}));
    // Drawn, the cell shows the first line alone: as "alpha" by itself.
    const QImage image = grid_->viewport()->grab().toImage();
    const QRect three = CellRect(3, 2).adjusted(0, 0, -1, -1);
    const QRect one = CellRect(4, 2).adjusted(0, 0, -1, -1);
    QCOMPARE(image.copy(three), image.copy(one));
  }

  void MergedAreasAreDrawnAsOneCell() {
    Sheet& sheet = NewSheet();
    sheet.SetText(2, 2, "Quarterly figures");
    sheet.SetText(2, 3, "hidden under the merge");
    sheet.SetText(6, 2, "a");
    sheet.layout().AddMergedArea({2, 2, 2, 3});  // B2:D3
    sheet.Finish();
    grid_->SetSheet(&workbook_->sheet(0));
    QVERIFY(!RunOf(2, 3).has_value());
    const TextRun merged = *RunOf(2, 2);
    QCOMPARE(merged.text, QString("Quarterly figures"));
    QCOMPARE(merged.rect.topLeft(), CellRect(2, 2).topLeft());
    QCOMPARE(merged.rect.bottomRight(), CellRect(3, 4).bottomRight());
    // No grid line inside the area; outside it the lines stay.
    const QImage image = grid_->viewport()->grab().toImage();
    const int line_x = CellRect(2, 2).right();
    const int inside_y = CellRect(3, 2).center().y();
    const int outside_y = CellRect(6, 2).center().y() + 1;
    QCOMPARE(image.pixelColor(line_x, inside_y), QColor(Qt::white));
    QCOMPARE(image.pixelColor(line_x, outside_y), grid_colors::kGridLine);
    // A click inside selects the whole area, as spreadsheets do.
    QTest::mouseClick(grid_->viewport(), Qt::LeftButton, {},
                      CellRect(3, 3).center());
    QCOMPARE(grid_->areas(), (std::vector<BlockGeometry>{{2, 2, 2, 3}}));
  }
};

}  // namespace kestrilo::gui

QTEST_MAIN(kestrilo::gui::SheetGridTest)
#include "sheet_grid_test.moc"
