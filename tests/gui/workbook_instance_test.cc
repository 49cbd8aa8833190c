// The instance the export run gets per workbook: cells of the active sheet,
// progress in the window's status bar during a conversion, and Quit.

#include "gui/spreadsheet/workbook_instance.h"

#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <stdexcept>

#include "engine/address_error.h"
#include "engine/export_options.h"
#include "engine/workbook_cell_source.h"
#include "engine/xml_writer.h"
#include "gui/spreadsheet/range_prompt.h"
#include "gui/spreadsheet/sheet_grid.h"
#include "gui/spreadsheet/workbook_window.h"
#include "gui_test_support.h"

namespace kestrilo {

class WorkbookInstanceTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<WorkbookInstance> instance_;

  WorkbookWindow& window() { return *instance_->window(); }

  static std::unique_ptr<WorkbookInstance> Open(
      std::unique_ptr<Workbook> workbook) {
    auto window = std::make_unique<WorkbookWindow>();
    window->SetWorkbook(std::move(workbook));
    return std::make_unique<WorkbookInstance>(std::move(window));
  }

  // A sheet long enough for a conversion to last a while.
  static std::unique_ptr<Workbook> LongWorkbook(int rows) {
    auto workbook = std::make_unique<Workbook>("/tmp/long.xlsx", "xlsx");
    Sheet& sheet = workbook->AddSheet("Long", false);
    for (int column = 1; column <= 4; ++column) {
      sheet.SetText(1, column, "Field " + std::to_string(column));
    }
    for (int row = 2; row <= rows; ++row) {
      sheet.SetNumber(row, 1, row);
      sheet.SetText(row, 2, "item " + std::to_string(row));
      sheet.SetDateTime(row, 3, 44000 + row % 1000, false);
      sheet.SetBoolean(row, 4, row % 3 == 0);
    }
    sheet.Finish();
    return workbook;
  }

 private slots:
  void init() { instance_ = Open(testing::SampleWorkbook()); }
  void cleanup() { instance_.reset(); }

  void OpensInvisibleWithOneWorkbook() {
    QCOMPARE(instance_->WorkbooksCount(), 1);
    QVERIFY(!window().isVisible());
    instance_->SetVisible(true);
    QVERIFY(window().isVisible());
    instance_->SetVisible(false);
    QVERIFY(!window().isVisible());
  }

  void GeometryIsThatOfTheFirstArea() {
    QCOMPARE(instance_->Geometry("$B$2:$D$4,$F$6"),
             (BlockGeometry{2, 3, 2, 3}));
    QCOMPARE(instance_->Geometry("$C:$D"), (BlockGeometry{1, kMaxRows, 3, 2}));
    QVERIFY_THROWS_EXCEPTION(AddressError, instance_->Geometry("B2:"));
    QVERIFY_THROWS_EXCEPTION(AddressError, instance_->Geometry("Totals!A1"));
  }

  void ValuesComeFromTheActiveSheet() {
    QCOMPARE(instance_->Value(1, 1).text, std::string_view("Name"));
    QCOMPARE(instance_->Value(2, 2).number, 10.0);
    // Error cells read as the engine gives them; the writer empties them.
    QVERIFY(instance_->IsError(3, 5));
    QCOMPARE(instance_->Value(3, 5).text, std::string_view("#DIV/0!"));
    window().sheet_tabs()->setCurrentIndex(1);  // Totals
    QCOMPARE(instance_->Value(2, 2).number, 42.0);
    QVERIFY(instance_->Value(1, 1).is_empty());
    QCOMPARE(instance_->Geometry("Totals!B2"), (BlockGeometry{2, 1, 2, 1}));
  }

  void ConversionMatchesTheWorkbookAndEmptiesErrors() {
    ExportOptions options;
    const std::string expected = BlockToXml(
        *std::make_unique<WorkbookCellSource>(*window().workbook(), 0), options,
        "$A$1:$E$5");
    const std::string xml = BlockToXml(*instance_, options, "$A$1:$E$5");
    QCOMPARE(xml, expected);
    QVERIFY(xml.find("#DIV/0!") == std::string::npos);
    QVERIFY(xml.find("<Ratio></Ratio>") != std::string::npos);
    QCOMPARE(window().status_text(), QString("Rows completed: 5"));
  }

  void StatusTextAndWaitPointerDuringAConversion() {
    constexpr int kRows = 200000;
    instance_ = Open(LongWorkbook(kRows));
    instance_->SetVisible(true);
    // A timer can only fire if the conversion lets events through.
    QString status_seen;
    Qt::CursorShape cursor_seen = Qt::ArrowCursor;
    bool tabs_enabled = true;
    QTimer probe;
    probe.setInterval(0);
    connect(&probe, &QTimer::timeout, &window(), [&] {
      if (!status_seen.isEmpty()) return;
      if (!window().status_text().startsWith("Rows completed: ")) return;
      status_seen = window().status_text();
      cursor_seen = window().cursor().shape();
      tabs_enabled = window().sheet_tabs()->isEnabled();
    });
    probe.start();
    const std::string xml =
        BlockToXml(*instance_, ExportOptions{}, "$A$1:$D$200000");
    probe.stop();
    QVERIFY(!xml.empty());
    QVERIFY2(status_seen.startsWith("Rows completed: "),
             qPrintable(status_seen));
    QCOMPARE(cursor_seen, Qt::WaitCursor);
    QVERIFY(!tabs_enabled);
    // The last text shows, and stays after the conversion.
    QCOMPARE(window().status_text(), QString("Rows completed: 200000"));
    QCOMPARE(window().cursor().shape(), Qt::ArrowCursor);
    QVERIFY(window().sheet_tabs()->isEnabled());
  }

  void PromptForRangeReturnsTheHighlightedBlock() {
    instance_->SetVisible(true);
    connect(
        &window(), &WorkbookWindow::RangePromptShown, &window(),
        [&] {
          testing::Drag(*window().grid(), 2, 1, 5, 3);
          window().range_prompt()->Confirm();
        },
        Qt::QueuedConnection);
    QCOMPARE(instance_->PromptForRange(),
             std::optional<std::string>("$A$2:$C$5"));
  }

  void QuitClosesTheWindowAndFreesTheWorkbook() {
    instance_->SetVisible(true);
    const int windows = WorkbookWindow::open_count();
    instance_->Quit();
    QVERIFY(instance_->window() == nullptr);
    QCOMPARE(WorkbookWindow::open_count(), windows - 1);
    QCOMPARE(instance_->WorkbooksCount(), 0);
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, instance_->Value(1, 1));
    QVERIFY(!instance_->PromptForRange().has_value());
    instance_->Quit();  // twice is harmless
    instance_->SetStatusText("Rows completed: 1");
    instance_->SetWaitPointer(false);
  }
};

}  // namespace kestrilo

QTEST_MAIN(kestrilo::WorkbookInstanceTest)
#include "workbook_instance_test.moc"
