// SPDX-License-Identifier: MIT
// The workbook window: what it shows of a workbook, and selecting in its
// grid with the mouse and the keyboard as in a spreadsheet.

#include "gui/spreadsheet/workbook_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QLocale>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTabBar>
#include <QTest>
#include <QToolButton>

#include "engine/model/block_geometry.h"
#include "engine/model/range_address.h"
#include "gui/common/settings_store.h"
#include "gui/spreadsheet/name_box.h"
#include "gui/spreadsheet/range_prompt.h"
#include "gui/spreadsheet/sheet_grid.h"
#include "gui/spreadsheet/sheet_model.h"
#include "gui/spreadsheet/xml_preview_pane.h"
#include "gui_test_support.h"

namespace kestrilo::gui {

namespace {

// Column A filled in two runs, A1:A5 and A7:A9, with B3 beside them, and
// A27:C28 merged below.
std::unique_ptr<Workbook> RunsWorkbook() {
  auto workbook = std::make_unique<Workbook>("/tmp/runs.xlsx", "xlsx");
  Sheet& sheet = workbook->AddSheet("Runs", false);
  for (int row : {1, 2, 3, 4, 5, 7, 8, 9}) sheet.SetNumber(row, 1, row);
  sheet.SetText(3, 2, "beside");
  sheet.SetText(27, 1, "merged");
  sheet.layout().AddMergedArea({27, 2, 1, 3});
  sheet.Finish();
  workbook->AddSheet("Other", false).Finish();
  return workbook;
}

}  // namespace

using testing::CellCenter;
using testing::Click;
using testing::Drag;
using testing::DragHeader;

class WorkbookWindowTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<WorkbookWindow> window_;

  SheetGrid& grid() { return *window_->grid(); }
  QString Address() {
    return QString::fromStdString(FormatAddress(grid().areas()));
  }
  // As a user types: the keys go to the combo box, which has the focus and
  // passes them on to its line edit itself.
  void EnterInNameBox(const QString& text, Qt::Key enter = Qt::Key_Return) {
    NameBox* box = window_->name_box();
    box->lineEdit()->selectAll();
    QTest::keyClicks(box, text);
    QTest::keyClick(box, enter);
  }
  QString Shown(int row, int column) {
    return grid().model()->index(row - 1, column - 1).data().toString();
  }

 private slots:
  void init() {
    // Each test's window starts at the default size.
    SettingsStore::Write(SettingsStore::Key::kWorkbookWindow, {});
    window_ = std::make_unique<WorkbookWindow>();
    window_->SetWorkbook(testing::SampleWorkbook("/data/parts list.xlsx"));
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  }
  void cleanup() { window_.reset(); }

  void ShowsTheWorkbookUnderItsFileName() {
    QCOMPARE(window_->windowTitle(), QString("parts list.xlsx — Kestrilo"));
    QCOMPARE(window_->status_text(), QString("Ready"));
    QCOMPARE(window_->active_sheet(), 0);
  }

  void GridReachesAMarginPastTheDataAndGrowsOnDemand() {
    const QAbstractItemModel* model = grid().model();
    const int rows = model->rowCount();
    const int columns = model->columnCount();
    QVERIFY(rows > 5 && rows < 1000);
    QVERIFY(columns > 5 && columns < 100);
    QCOMPARE(model->headerData(26, Qt::Horizontal).toString(), QString("AA"));
    // Scrolling on at the end brings more rows and columns.
    QScrollBar* vertical = grid().verticalScrollBar();
    vertical->setValue(vertical->maximum());
    QVERIFY(model->rowCount() > rows);
    QScrollBar* horizontal = grid().horizontalScrollBar();
    horizontal->setValue(horizontal->maximum());
    QVERIFY(model->columnCount() > columns);
    // So does moving there: ctrl+arrows past the data reach the sheet's end.
    Click(grid(), 2, 2);
    QTest::keyClick(&grid(), Qt::Key_Down, Qt::ControlModifier);
    QTest::keyClick(&grid(), Qt::Key_Down, Qt::ControlModifier);
    QTest::keyClick(&grid(), Qt::Key_Right, Qt::ControlModifier);
    QTest::keyClick(&grid(), Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(Address(), QString("$XFD$1048576"));
    QCOMPARE(model->rowCount(), kMaxRows);
    QCOMPARE(model->columnCount(), kMaxColumns);
    QCOMPARE(model->headerData(kMaxRows - 1, Qt::Vertical).toString(),
             QString("1048576"));
    QCOMPARE(model->headerData(kMaxColumns - 1, Qt::Horizontal).toString(),
             QString("XFD"));
  }

  void ScrollThumbAtTheEndShowsTheLastRowsOfData() {
    auto workbook = std::make_unique<Workbook>("/tmp/long.xlsx", "xlsx");
    Sheet& sheet = workbook->AddSheet("Long", false);
    sheet.SetText(1, 1, "Id");
    sheet.SetNumber(100001, 1, 100000);
    sheet.Finish();
    window_->SetWorkbook(std::move(workbook));
    QScrollBar* vertical = grid().verticalScrollBar();
    vertical->setValue(vertical->maximum());
    const int bottom = grid().rowAt(grid().viewport()->height() - 1) + 1;
    QVERIFY2(bottom >= 100001 && bottom < 100001 + 300,
             qPrintable(QString::number(bottom)));
  }

  void StatusBarShowsTheSizeOfTheBlockToConvert() {
    Drag(grid(), 2, 2, 4, 5);
    QCOMPARE(window_->selection_size_text(), QString("3 rows × 4 columns"));
    Click(grid(), 9, 9);
    QCOMPARE(window_->selection_size_text(), QString("1 row × 1 column"));
    // Whole columns, rows and the sheet count their filled part only.
    DragHeader(*grid().horizontalHeader(), 1, 2);
    QCOMPARE(window_->selection_size_text(), QString("5 rows × 2 columns"));
    DragHeader(*grid().verticalHeader(), 3, 3);
    QCOMPARE(window_->selection_size_text(), QString("1 row × 5 columns"));
    QTest::keyClick(&grid(), Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(window_->selection_size_text(), QString("5 rows × 5 columns"));
    DragHeader(*grid().horizontalHeader(), 10, 10);
    QCOMPARE(window_->selection_size_text(), QString("No cells"));
  }

  void CellsShowTheirTextAlignedByKind() {
    QCOMPARE(Shown(1, 1), QString("Name"));
    QCOMPARE(Shown(2, 2), QString("10"));
    QCOMPARE(Shown(3, 3), QString("2.5"));
    QCOMPARE(Shown(2, 4), QString("2021-08-31"));
    QCOMPARE(Shown(2, 5), QString("TRUE"));
    // The grid shows error codes although the XML writer reads them empty.
    QCOMPARE(Shown(3, 5), QString("#DIV/0!"));
    QCOMPARE(Shown(100, 100), QString());
    auto alignment = [&](int row, int column) {
      return grid()
          .model()
          ->index(row - 1, column - 1)
          .data(Qt::TextAlignmentRole)
          .value<Qt::Alignment>();
    };
    QVERIFY(alignment(2, 2) & Qt::AlignRight);
    QVERIFY(alignment(2, 4) & Qt::AlignRight);
    QVERIFY(alignment(1, 1) & Qt::AlignLeft);
    QVERIFY(alignment(3, 5) & Qt::AlignHCenter);
  }

  void TabsSwitchTheActiveSheetAndSkipHiddenSheets() {
    QTabBar* tabs = window_->sheet_tabs();
    QCOMPARE(tabs->count(), 2);
    QCOMPARE(tabs->tabText(0), QString("Data"));
    QCOMPARE(tabs->tabText(1), QString("Totals"));
    Drag(grid(), 2, 2, 3, 3);
    tabs->setCurrentIndex(1);
    QCOMPARE(window_->active_sheet(), 2);
    QCOMPARE(Shown(2, 2), QString("42"));
    // A new sheet starts with A1 selected.
    QCOMPARE(Address(), QString("$A$1"));
    tabs->setCurrentIndex(0);
    QCOMPARE(window_->active_sheet(), 0);
    QCOMPARE(Shown(1, 1), QString("Name"));
  }

  void TabsStayWhollyShownAfterSwitchingSheetsInANarrowWindow() {
    auto workbook = std::make_unique<Workbook>("/tmp/tabs.xlsx", "xlsx");
    for (const char* name : {"Read Me", "Second sheet", "Sales 2021", "Tot"}) {
      workbook->AddSheet(name, false).Finish();
    }
    window_->SetWorkbook(std::move(workbook));
    window_->resize(560, 400);
    QTabBar* tabs = window_->sheet_tabs();
    for (int tab : {3, 1, 2, 0, 3}) {
      tabs->setCurrentIndex(tab);
      QCoreApplication::processEvents();
      // The bar reaches the window's right edge, and every tab is whole.
      QCOMPARE(tabs->mapTo(window_.get(), tabs->rect().topRight()).x(),
               window_->rect().right());
      for (int i = 0; i < tabs->count(); ++i) {
        QVERIFY2(tabs->rect().contains(tabs->tabRect(i)),
                 qPrintable(tabs->tabText(i)));
      }
      for (const QWidget* arrow : tabs->findChildren<QToolButton*>()) {
        QVERIFY(!arrow->isVisible());
      }
    }
  }

  void ControlPageKeysSwitchSheetsAndF6ReachesTheTabs() {
    QTabBar* tabs = window_->sheet_tabs();
    grid().setFocus();
    QTest::keyClick(&grid(), Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(window_->active_sheet(), 2);  // past the hidden sheet
    QCOMPARE(Address(), QString("$A$1"));
    QTest::keyClick(&grid(), Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(window_->active_sheet(), 2);
    QTest::keyClick(&grid(), Qt::Key_PageUp, Qt::ControlModifier);
    QCOMPARE(window_->active_sheet(), 0);
    // The name box passes them on too.
    QTest::keyClick(window_->name_box(), Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(window_->active_sheet(), 2);
    // F6 takes the keyboard from the grid to the tabs, where the arrow keys
    // choose a sheet; F6 again goes on to the name box.
    grid().setFocus();
    QTest::keyClick(&grid(), Qt::Key_F6);
    QCOMPARE(QApplication::focusWidget(), tabs);
    QTest::keyClick(tabs, Qt::Key_Left);
    QCOMPARE(window_->active_sheet(), 0);
    QTest::keyClick(tabs, Qt::Key_F6);
    QVERIFY(window_->name_box()->isAncestorOf(QApplication::focusWidget()) ||
            QApplication::focusWidget() == window_->name_box());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), tabs);
    QVERIFY(!tabs->accessibleName().isEmpty());
  }

  void NextWindowOpensWhereTheLastWasLeft() {
    QCOMPARE(window_->size(), QSize(1100, 680));
    window_->resize(720, 510);
    window_->move(64, 48);
    const QRect left_at = window_->geometry();
    window_->close();
    WorkbookWindow next;
    next.show();
    QVERIFY(QTest::qWaitForWindowExposed(&next));
    QCOMPARE(next.geometry(), left_at);
    // A stored value that is no geometry gives the default size.
    SettingsStore::Write(SettingsStore::Key::kWorkbookWindow, "no geometry");
    QCOMPARE(WorkbookWindow().size(), QSize(1100, 680));
  }

  void CountsAreWrittenAlikeInTheStatusBarAndThePreview() {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    auto workbook = std::make_unique<Workbook>("/tmp/long.xlsx", "xlsx");
    Sheet& sheet = workbook->AddSheet("Long", false);
    for (int row = 1; row <= 2000; ++row) sheet.SetNumber(row, 1, row);
    sheet.Finish();
    window_->SetWorkbook(std::move(workbook));
    window_->BeginPrompt({}, [](const auto&) {});
    grid().SelectAreas({{1, 2000, 1, 1}});
    QCOMPARE(window_->selection_size_text(), QString("2,000 rows × 1 column"));
    const QRegularExpression grouped(R"(^\d,\d{3} lines, \d\d,\d{3} bytes)");
    QTRY_VERIFY2(grouped.match(window_->range_prompt()->preview()->size_text())
                     .hasMatch(),
                 qPrintable(window_->range_prompt()->preview()->size_text()));
    window_->EndPrompt();
    QLocale::setDefault(before);
  }

  void FormulaLineShowsTheValueTheGridShowsFormatted() {
    auto workbook = std::make_unique<Workbook>("/tmp/formats.xlsx", "xlsx");
    CellStyle percent;
    percent.format = workbook->styles().AddFormat("0.00%");
    Sheet& sheet = workbook->AddSheet("Formats", false);
    sheet.SetNumber(1, 1, 0.125, workbook->styles().Add(percent));
    sheet.Finish();
    window_->SetWorkbook(std::move(workbook));
    QCOMPARE(Shown(1, 1), QString("12.50%"));
    QCOMPARE(window_->formula_line()->text(), QString("0.125"));
    // The preview shows what the XML gets: by default the value.
    ExportOptions options;
    options.header_row = false;
    PromptContext context;
    context.options = options;
    window_->BeginPrompt(context, [](const auto&) {});
    QTRY_VERIFY(window_->range_prompt()->preview()->xml().contains(">0.125<"));
    window_->EndPrompt();
  }

  void PressAndDragSelectsABlock() {
    Drag(grid(), 2, 2, 4, 4);
    QCOMPARE(Address(), QString("$B$2:$D$4"));
    // Dragging back over the anchor turns the block around it.
    Drag(grid(), 4, 4, 2, 3);
    QCOMPARE(Address(), QString("$C$2:$D$4"));
    QCOMPARE(grid().active_cell(), (CellPosition{4, 4}));
  }

  void ShiftClickExtendsFromTheActiveCell() {
    Click(grid(), 2, 2);
    Click(grid(), 5, 4, Qt::ShiftModifier);
    QCOMPARE(Address(), QString("$B$2:$D$5"));
    QCOMPARE(grid().active_cell(), (CellPosition{2, 2}));
    Click(grid(), 1, 1, Qt::ShiftModifier);
    QCOMPARE(Address(), QString("$A$1:$B$2"));
  }

  void ControlAddsFurtherAreasInOrder() {
    Drag(grid(), 2, 2, 3, 3);
    Click(grid(), 5, 5, Qt::ControlModifier);
    Drag(grid(), 7, 1, 8, 2, Qt::ControlModifier);
    QCOMPARE(Address(), QString("$B$2:$C$3,$E$5,$A$7:$B$8"));
    // Overlapping areas stay as made, as spreadsheets report them.
    Drag(grid(), 2, 2, 2, 3, Qt::ControlModifier);
    QCOMPARE(Address(), QString("$B$2:$C$3,$E$5,$A$7:$B$8,$B$2:$C$2"));
    // A plain click starts over.
    Click(grid(), 1, 1);
    QCOMPARE(Address(), QString("$A$1"));
  }

  void HeadersSelectWholeColumnsAndRows() {
    DragHeader(*grid().horizontalHeader(), 1, 3);
    QCOMPARE(Address(), QString("$B:$D"));
    QCOMPARE(grid().ColumnMark(3), SectionMark::kWhole);
    QCOMPARE(grid().RowMark(7), SectionMark::kPartly);
    QCOMPARE(grid().ColumnMark(5), SectionMark::kNone);
    DragHeader(*grid().verticalHeader(), 1, 4, Qt::ControlModifier);
    QCOMPARE(Address(), QString("$B:$D,$2:$5"));
    DragHeader(*grid().verticalHeader(), 6, 6);
    QCOMPARE(Address(), QString("$7:$7"));
    // Shift on a column header extends from the active cell's column.
    Click(grid(), 3, 2);
    DragHeader(*grid().horizontalHeader(), 4, 4, Qt::ShiftModifier);
    QCOMPARE(Address(), QString("$B:$E"));
  }

  void DraggingPastTheEdgeScrollsAndKeepsSelecting() {
    QWidget* viewport = grid().viewport();
    QTest::mousePress(viewport, Qt::LeftButton, {}, CellCenter(grid(), 2, 2));
    const QPoint below(CellCenter(grid(), 2, 2).x(), viewport->height() + 30);
    QTest::mouseMove(viewport, below);
    QTRY_VERIFY(grid().rowAt(0) > 5);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, below);
    const BlockGeometry area = grid().areas().back();
    QCOMPARE(area.first_row, 2);
    QVERIFY(area.last_row() > grid().rowAt(viewport->height() - 1));
  }

  void CornerButtonSelectsTheWholeSheet() {
    Click(grid(), 3, 3);
    QAbstractButton* corner = grid().findChild<QAbstractButton*>();
    QVERIFY(corner != nullptr);
    QTest::mouseClick(corner, Qt::LeftButton);
    QCOMPARE(Address(), QString("$1:$1048576"));
    QCOMPARE(grid().ColumnMark(kMaxColumns), SectionMark::kWhole);
    QCOMPARE(grid().active_cell(), (CellPosition{3, 3}));
  }

  void KeysMoveAndShiftKeysExtend() {
    Click(grid(), 2, 2);
    QTest::keyClick(&grid(), Qt::Key_Right);
    QTest::keyClick(&grid(), Qt::Key_Down);
    QCOMPARE(Address(), QString("$C$3"));
    QTest::keyClick(&grid(), Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(&grid(), Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(Address(), QString("$C$3:$D$4"));
    QTest::keyClick(&grid(), Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(Address(), QString("$A$1"));
    QTest::keyClick(&grid(), Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(Address(), QString("$E$5"));
    QTest::keyClick(&grid(), Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(Address(), QString("$1:$1048576"));
  }

  // A column or row header selects its column or row alone, beside a
  // merged area as anywhere; a cell of the area selects all of it.
  void HeaderBesideAMergedAreaSelectsItsLineAlone() {
    window_->SetWorkbook(RunsWorkbook());
    grid().scrollTo(grid().model()->index(26, 1));
    DragHeader(*grid().horizontalHeader(), 1, 1);
    QCOMPARE(Address(), QString("$B:$B"));
    DragHeader(*grid().verticalHeader(), 27, 27);
    QCOMPARE(Address(), QString("$28:$28"));
    Click(grid(), 28, 2);
    QCOMPARE(Address(), QString("$A$27:$C$28"));
  }

  // Each sheet keeps its selection while another shows, whether the tabs,
  // their keys or the name box went there.
  void EachSheetKeepsItsSelection() {
    Drag(grid(), 3, 5, 4, 5);
    QTest::keyClick(&grid(), Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(window_->active_sheet(), 2);
    QTest::keyClick(&grid(), Qt::Key_PageUp, Qt::ControlModifier);
    QCOMPARE(window_->active_sheet(), 0);
    QCOMPARE(Address(), QString("$E$3:$E$4"));
    QCOMPARE(grid().active_cell(), (CellPosition{3, 5}));
    QCOMPARE(window_->name_box()->text(), QString("E3:E4"));
    EnterInNameBox("Totals!C3");
    QCOMPARE(window_->active_sheet(), 2);
    window_->sheet_tabs()->setCurrentIndex(0);
    QCOMPARE(Address(), QString("$E$3:$E$4"));
    window_->sheet_tabs()->setCurrentIndex(1);
    QCOMPARE(Address(), QString("$C$3"));
  }

  // A text that is neither an address nor a name stays in the name box,
  // marked and selected to be typed over, and the status bar says why.
  void NameBoxSaysWhyItRefusesAText() {
    NameBox* box = window_->name_box();
    for (const QString& text : {QString("foo bar!!"), QString("ZZ99999999")}) {
      EnterInNameBox(text);
      QCOMPARE(box->text(), text);
      QVERIFY(box->refusing());
      QCOMPARE(box->lineEdit()->selectedText(), text);
      QCOMPARE(window_->status_text(),
               "\"" + text +
                   "\" is neither a cell address of this sheet nor a name of "
                   "this workbook.");
      QCOMPARE(Address(), QString("$A$1"));
    }
    Click(grid(), 2, 2);
    QVERIFY(!box->refusing());
    QCOMPARE(box->text(), QString("B2"));
    QCOMPARE(window_->status_text(), QString("Ready"));
  }

  // Ctrl+arrows stop at the ends of filled runs, as in spreadsheets;
  // Shift+Space and Ctrl+Space take whole rows and columns.
  void ControlArrowsStopAtTheEndsOfFilledRuns() {
    window_->SetWorkbook(RunsWorkbook());
    Click(grid(), 2, 1);
    QTest::keyClick(&grid(), Qt::Key_Down,
                    Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(Address(), QString("$A$2:$A$5"));
    QTest::keyClick(&grid(), Qt::Key_Down,
                    Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(Address(), QString("$A$2:$A$7"));
    Click(grid(), 5, 1);
    QTest::keyClick(&grid(), Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(Address(), QString("$A$7"));
    QTest::keyClick(&grid(), Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(Address(), QString("$A$9"));
    QTest::keyClick(&grid(), Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(Address(), QString("$A$27"));
    QTest::keyClick(&grid(), Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(Address(), QString("$A$1048576"));
    QTest::keyClick(&grid(), Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(Address(), QString("$A$27"));
    QTest::keyClick(&grid(), Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(Address(), QString("$A$9"));
    QTest::keyClick(&grid(), Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(Address(), QString("$A$7"));
    QTest::keyClick(&grid(), Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(Address(), QString("$A$5"));
    QTest::keyClick(&grid(), Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(Address(), QString("$A$1"));
    Click(grid(), 3, 1);
    QTest::keyClick(&grid(), Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(Address(), QString("$B$3"));
    QTest::keyClick(&grid(), Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(Address(), QString("$XFD$3"));
    QTest::keyClick(&grid(), Qt::Key_Left, Qt::ControlModifier);
    QCOMPARE(Address(), QString("$B$3"));
    Drag(grid(), 2, 2, 3, 3);
    QTest::keyClick(&grid(), Qt::Key_Space, Qt::ShiftModifier);
    QCOMPARE(Address(), QString("$2:$3"));
    QCOMPARE(grid().active_cell(), (CellPosition{2, 2}));
    QTest::keyClick(&grid(), Qt::Key_Space, Qt::ControlModifier);
    QCOMPARE(Address(), QString("$B:$C"));
    QTest::keyClick(&grid(), Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(Address(), QString("$B:$C"));
  }

  // The name box shows a block of several cells whole, as spreadsheets do;
  // a single cell, or several areas, by the active cell.
  void NameBoxShowsTheBlockSelected() {
    NameBox* box = window_->name_box();
    Drag(grid(), 2, 2, 5, 4);
    QCOMPARE(box->text(), QString("B2:D5"));
    DragHeader(*grid().horizontalHeader(), 1, 2);
    QCOMPARE(box->text(), QString("B:C"));
    Click(grid(), 4, 4, Qt::ControlModifier);
    QCOMPARE(box->text(), QString("D4"));
    Click(grid(), 3, 3);
    QCOMPARE(box->text(), QString("C3"));
  }

  void FormulaLineShowsTheActiveCell() {
    Click(grid(), 3, 5);
    QCOMPARE(window_->name_box()->text(), QString("E3"));
    QCOMPARE(window_->formula_line()->text(), QString("#DIV/0!"));
    Drag(grid(), 2, 3, 4, 4);
    QCOMPARE(window_->formula_line()->text(), QString("1.5"));
  }

  void NameBoxSelectsATypedAddress() {
    NameBox* box = window_->name_box();
    QCOMPARE(box->accessibleName(), QString("Name box"));
    EnterInNameBox("Totals!b2:c4", Qt::Key_Enter);
    QCOMPARE(window_->active_sheet(), 2);
    QCOMPARE(Address(), QString("$B$2:$C$4"));
    QCOMPARE(window_->formula_line()->text(), QString("42"));
    // Without names there is nothing to drop down.
    QVERIFY(box->Offered().isEmpty());
    box->showPopup();
    QVERIFY(!box->view()->isVisible());
  }

  void NameBoxDropsDownTheUsableNamesAndGoesToThem() {
    auto workbook = testing::SampleWorkbook();
    testing::AddSampleNames(*workbook);
    window_->SetWorkbook(std::move(workbook));
    NameBox* box = window_->name_box();
    // Sheet-level names carry their sheet; tables follow under a heading;
    // "Rates" stands for no block and is left out.
    QCOMPARE(box->Offered(),
             (QStringList{"Answer", "Parts", "Totals!Answer", "Stock"}));
    const int heading = box->findText("Tables");
    QVERIFY(heading > 0 && heading < box->findText("Stock"));
    QVERIFY(!(box->model()->flags(box->model()->index(heading, 0)) &
              Qt::ItemIsEnabled));
    QVERIFY(testing::PickName(*box, "Totals!Answer"));
    QCOMPARE(window_->active_sheet(), 2);
    QCOMPARE(Address(), QString("$B$2"));
    QCOMPARE(box->text(), QString("Totals!Answer"));
    QVERIFY(testing::PickName(*box, "Stock"));
    QCOMPARE(window_->active_sheet(), 0);
    QCOMPARE(Address(), QString("$A$1:$E$5"));
    QCOMPARE(box->text(), QString("Stock"));
    QCOMPARE(box->currentIndex(), -1);
    // Typing completes names, not headings; names typed resolve as the
    // active sheet sees them.
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    box->lineEdit()->setFocus();
    box->lineEdit()->selectAll();
    QTest::keyClicks(box->lineEdit(), "Ta");
    QCOMPARE(box->text(), QString("Ta"));
    EnterInNameBox("pa");
    QCOMPARE(Address(), QString("$A$1:$C$5"));
    EnterInNameBox("answer");
    QCOMPARE(Address(), QString("$B$2:$B$5"));
    EnterInNameBox("'totals'!answer");
    QCOMPARE(window_->active_sheet(), 2);
    QCOMPARE(Address(), QString("$B$2"));
    Click(grid(), 1, 1);
    EnterInNameBox("Answer");
    QCOMPARE(Address(), QString("$B$2"));
    EnterInNameBox("Rates");
    QCOMPARE(Address(), QString("$B$2"));
    QVERIFY(box->refusing());
  }

  void StatusTextIsThrottledButEndsOnTheLastText() {
    window_->SetBusy(true);
    QCOMPARE(window_->cursor().shape(), Qt::WaitCursor);
    QVERIFY(!window_->sheet_tabs()->isEnabled());
    // The first text shows at once; the rest waits for the interval (50 ms)
    // to pass: however slow the machine, the label changes at most once per
    // interval of the time the calls take.
    QElapsedTimer clock;
    clock.start();
    int changes = 0;
    QString shown;
    for (int row = 1; row <= 5000; ++row) {
      window_->ShowStatusText("Rows completed: " + std::to_string(row));
      if (row == 1)
        QCOMPARE(window_->status_text(), QString("Rows completed: 1"));
      if (window_->status_text() != shown) ++changes;
      shown = window_->status_text();
    }
    QVERIFY2(changes <= 1 + clock.elapsed() / 50,
             qPrintable(QString::number(changes) + " changes in " +
                        QString::number(clock.elapsed()) + " ms"));
    QTRY_COMPARE(window_->status_text(), QString("Rows completed: 5000"));
    window_->ShowStatusText("Rows completed: 5001");
    window_->SetBusy(false);
    QCOMPARE(window_->status_text(), QString("Rows completed: 5001"));
    QCOMPARE(window_->cursor().shape(), Qt::ArrowCursor);
    QVERIFY(window_->sheet_tabs()->isEnabled());
  }

  void ReleasingTheWorkbookLeavesAnEmptyGrid() {
    window_->ReleaseWorkbook();
    QVERIFY(window_->workbook() == nullptr);
    QCOMPARE(window_->active_sheet(), -1);
    QCOMPARE(window_->sheet_tabs()->count(), 0);
    QCOMPARE(Shown(1, 1), QString());
  }
};

}  // namespace kestrilo::gui

QTEST_MAIN(kestrilo::gui::WorkbookWindowTest)
#include "workbook_window_test.moc"
