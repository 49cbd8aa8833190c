// SPDX-License-Identifier: MIT
// The range prompt docked in the workbook window: the user highlights a
// block with the mouse (or types it) while the prompt waits for OK or
// Cancel, and a preview shows the XML the block gives.

#include "gui/spreadsheet/range_prompt.h"

#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <functional>

#include "engine/model/workbook_cell_source.h"
#include "engine/writing/xml_writer.h"
#include "gui/spreadsheet/elided_label.h"
#include "gui/spreadsheet/sheet_grid.h"
#include "gui/spreadsheet/workbook_window.h"
#include "gui/spreadsheet/xml_preview_pane.h"
#include "gui_test_support.h"

namespace kestrilo::gui {

using testing::Click;
using testing::Drag;
using testing::DragHeader;

class RangePromptTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<WorkbookWindow> window_;
  bool answered_ = false;
  std::optional<std::string> answer_;

  SheetGrid& grid() { return *window_->grid(); }
  RangePrompt& prompt() { return *window_->range_prompt(); }

  // Opens the prompt, lets `act` work on it and returns the answer; a
  // prompt `act` leaves open fails the check on `answered_`.
  std::optional<std::string> Prompt(std::function<void(RangePrompt&)> act,
                                    const PromptContext& context = {}) {
    answered_ = false;
    answer_.reset();
    if (!window_->BeginPrompt(context,
                              [this](const std::optional<std::string>& a) {
                                answered_ = true;
                                answer_ = a;
                              })) {
      return std::nullopt;
    }
    act(prompt());
    return answer_;
  }

  static void Type(RangePrompt& prompt, const QString& text) {
    prompt.address_field()->selectAll();
    QTest::keyClicks(prompt.address_field(), text);
  }

  static void ClickOk(RangePrompt& prompt) {
    QTest::mouseClick(prompt.ok_button(), Qt::LeftButton);
  }

 private slots:
  void init() {
    window_ = std::make_unique<WorkbookWindow>();
    window_->SetWorkbook(testing::SampleWorkbook());
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  }
  void cleanup() { window_.reset(); }

  void PromptSitsBesideTheGridAndNamesTheWorkbook() {
    PromptContext context;
    context.position = 2;
    context.count = 4;
    context.file_name = "name.xlsx";
    QStringList texts;
    QRect prompt_area;
    Prompt(
        [&](RangePrompt& prompt) {
          for (QLabel* label : prompt.findChildren<QLabel*>()) {
            if (label->isVisibleTo(&prompt)) texts << label->text();
          }
          prompt_area =
              QRect(prompt.mapTo(window_.get(), QPoint()), prompt.size());
        },
        context);
    QVERIFY(texts.contains("Workbook 2 of 4: name.xlsx"));
    QVERIFY(texts.contains("Highlight a block of cells with mouse"));
    const QRect grid_area(grid().mapTo(window_.get(), QPoint()), grid().size());
    QVERIFY(!prompt_area.isEmpty());
    QVERIFY(!prompt_area.intersects(grid_area));
    QVERIFY(!answered_);
    // Not modal: the grid keeps taking the mouse.
    Drag(grid(), 2, 2, 3, 3);
    QCOMPARE(prompt().address_field()->text(), QString("$B$2:$C$3"));
    ClickOk(prompt());
    QVERIFY(answered_);
    QVERIFY(window_->range_prompt() == nullptr);
  }

  void LongFileNameIsShortenedInTheHeadingNotSqueezingTheGrid() {
    const int window_width = window_->width();
    PromptContext context;
    context.position = 3;
    context.count = 9;
    context.file_name =
        QString("Quarterly report of every regional office, ").repeated(2) +
        "with the corrections of March and April 2021 (final).xlsx";
    QVERIFY(context.file_name.size() > 110);
    Prompt(
        [&](RangePrompt& prompt) {
          QCoreApplication::processEvents();
          const QLabel* heading = prompt.run_position_label();
          QCOMPARE(heading->toolTip(), context.file_name);
          QVERIFY2(heading->text().startsWith("Workbook 3 of 9: Quart") &&
                       heading->text().endsWith(").xlsx") &&
                       heading->text().contains(QChar(0x2026)),
                   qPrintable(heading->text()));
          QVERIFY(heading->width() <= prompt.width());
          const auto* dock = window_->findChild<QDockWidget*>();
          QVERIFY(dock->width() <= dock->maximumWidth());
          QCOMPARE(window_->width(), window_width);
          // The grid keeps most of the window.
          QVERIFY2(grid().width() > window_width / 2,
                   qPrintable(QString::number(grid().width())));
          ClickOk(prompt);
        },
        context);
  }

  void FieldFollowsTheSelectionAndOkAnswersIt() {
    QCOMPARE(Prompt([&](RangePrompt& prompt) {
               Drag(grid(), 2, 2, 3, 3);
               Click(grid(), 6, 1, Qt::ControlModifier);
               DragHeader(*grid().horizontalHeader(), 7, 8,
                          Qt::ControlModifier);
               DragHeader(*grid().verticalHeader(), 9, 9, Qt::ControlModifier);
               ClickOk(prompt);
             }),
             std::optional<std::string>("$B$2:$C$3,$A$6,$H:$I,$10:$10"));
    QCOMPARE(Prompt([&](RangePrompt& prompt) {
               Type(prompt, "b2:c3, e5");
               QTest::keyClick(prompt.address_field(), Qt::Key_Return);
             }),
             std::optional<std::string>("$B$2:$C$3,$E$5"));
    QCOMPARE(grid().areas(),
             (std::vector<BlockGeometry>{{2, 2, 2, 2}, {5, 1, 5, 1}}));
    QCOMPARE(Prompt([&](RangePrompt& prompt) {
               Type(prompt, "'Totals'!A1:B2");
               ClickOk(prompt);
             }),
             std::optional<std::string>("$A$1:$B$2"));
    QCOMPARE(window_->active_sheet(), 2);
  }

  void EnterOrEscapeInTheGridAnswersThePrompt() {
    QCOMPARE(Prompt([&](RangePrompt&) {
               Drag(grid(), 3, 2, 6, 2);
               QTest::keyClick(&grid(), Qt::Key_Enter);
             }),
             std::optional<std::string>("$B$3:$B$6"));
    QVERIFY(!Prompt([&](RangePrompt&) {
               QTest::keyClick(&grid(), Qt::Key_Escape);
             }).has_value());
    QVERIFY(answered_);
    // Typing in the grid begins a new address in the field.
    QCOMPARE(Prompt([&](RangePrompt& prompt) {
               Drag(grid(), 3, 2, 6, 2);
               QTest::keyClick(&grid(), Qt::Key_C);
               QCOMPARE(prompt.address_field()->text(), QStringLiteral("c"));
               QTest::keyClicks(prompt.address_field(), "2:d4");
               QTest::keyClick(prompt.address_field(), Qt::Key_Return);
             }),
             std::optional<std::string>("$C$2:$D$4"));
    // Without a prompt, Enter moves down as usual.
    Click(grid(), 3, 2);
    QTest::keyClick(&grid(), Qt::Key_Return);
    QCOMPARE(grid().active_cell(), (CellPosition{4, 2}));
  }

  void CancelEscapeAndClosingTheWindowAnswerNothing() {
    const std::function<void(RangePrompt&)> cancels[] = {
        [](RangePrompt& p) {
          QTest::mouseClick(p.cancel_button(), Qt::LeftButton);
        },
        [](RangePrompt& p) {
          QTest::keyClick(p.address_field(), Qt::Key_Escape);
        },
        [this](RangePrompt&) { window_->close(); },
    };
    for (const auto& cancel : cancels) {
      QVERIFY(!Prompt([&](RangePrompt& p) {
                 Drag(grid(), 2, 2, 4, 4);
                 cancel(p);
               }).has_value());
      QVERIFY(answered_);
    }
    QVERIFY(!window_->isVisible());
  }

  void NoAddressSaysSoAndAsksAgain() {
    for (const QString& typed :
         {QString("B2:"), QString(), QString("zz"), QString("Nowhere!A1")}) {
      Prompt([&](RangePrompt& prompt) {
        Type(prompt, typed);
        if (typed.isEmpty()) prompt.address_field()->clear();
        ClickOk(prompt);
      });
      QVERIFY2(!answered_, qPrintable(typed));
      QVERIFY(prompt().message_label()->isVisibleTo(&prompt()));
      QCOMPARE(prompt().message_label()->text(),
               QString("That is not a cell address."));
      QVERIFY(!prompt().address_field()->styleSheet().isEmpty());
      // Still asking: a right address is taken.
      Type(prompt(), "c3");
      ClickOk(prompt());
      QVERIFY(answered_);
      QCOMPARE(answer_, std::optional<std::string>("$C$3"));
    }
  }

  void NamesAnswerTheirBlocksOnTheirSheets() {
    auto workbook = testing::SampleWorkbook();
    testing::AddSampleNames(*workbook);
    window_->SetWorkbook(std::move(workbook));
    // Picked from the name box: the field and the answer follow.
    QCOMPARE(Prompt([&](RangePrompt& prompt) {
               QVERIFY(testing::PickName(*window_->name_box(), "Parts"));
               QCOMPARE(prompt.address_field()->text(), QString("$A$1:$C$5"));
               ClickOk(prompt);
             }),
             std::optional<std::string>("$A$1:$C$5"));
    // Typed: a table, then a name of another sheet, which becomes active.
    QCOMPARE(Prompt([&](RangePrompt& prompt) {
               Type(prompt, "stock");
               QCOMPARE(grid().areas().front(), (BlockGeometry{1, 5, 1, 5}));
               ClickOk(prompt);
             }),
             std::optional<std::string>("$A$1:$E$5"));
    QCOMPARE(Prompt([&](RangePrompt& prompt) {
               Type(prompt, "Totals!Answer");
               QTest::keyClick(prompt.address_field(), Qt::Key_Return);
             }),
             std::optional<std::string>("$B$2"));
    QCOMPARE(window_->active_sheet(), 2);
    // The name of the sheet wins over the workbook's on that sheet only.
    QCOMPARE(Prompt([&](RangePrompt& prompt) {
               Type(prompt, "Answer");
               ClickOk(prompt);
             }),
             std::optional<std::string>("$B$2"));
    window_->SetActiveSheet(0);
    QCOMPARE(Prompt([&](RangePrompt& prompt) {
               Type(prompt, "Answer");
               ClickOk(prompt);
             }),
             std::optional<std::string>("$B$2:$B$5"));
    // A name that stands for no block says why and asks again.
    Prompt([&](RangePrompt& prompt) {
      Type(prompt, "rates");
      ClickOk(prompt);
    });
    QVERIFY(!answered_);
    QCOMPARE(prompt().message_label()->text(),
             QString("The name Rates cannot be used: it refers to a formula."));
  }

  void PreviewShowsTheXmlOfTheSelectionUnderTheOptions() {
    PromptContext context;
    context.options.title = "Parts";
    Prompt([](RangePrompt&) {}, context);
    Drag(grid(), 1, 1, 3, 2);
    const XmlPreviewPane& pane = *prompt().preview();
    const QString expected =
        "<Parts>\r\n\t<Name>Bolt</Name>\r\n\t<Qty>10</Qty>\r\n"
        "\t<Name>Nut</Name>\r\n\t<Qty>20</Qty>\r\n</Parts>\r\n";
    QTRY_COMPARE(pane.xml(), expected);
    QVERIFY(pane.size_text().startsWith("6 lines, " +
                                        QString::number(expected.size())));
    ExportOptions none;
    none.header_row = false;
    none.title_tag = false;
    window_->SetPreviewOptions(none);
    QTRY_VERIFY(pane.xml().startsWith("<_1>\r\n\t<A>Name</A>\r\n"));
    // Whole empty columns give no XML, and the pane says why.
    DragHeader(*grid().horizontalHeader(), 8, 9);
    QTRY_VERIFY(pane.xml().isEmpty());
    QVERIFY(!pane.size_text().isEmpty());
  }

  // The records layout shows live as the others do, and so does the
  // schema its root names.
  void PreviewShowsRecordsAsTheyWillBeWritten() {
    PromptContext context;
    context.options.title = "Parts";
    context.options.records = true;
    context.options.record_tag = "Part";
    Prompt([](RangePrompt&) {}, context);
    Drag(grid(), 1, 1, 3, 2);
    const XmlPreviewPane& pane = *prompt().preview();
    QTRY_COMPARE(pane.xml(),
                 QString("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                         "<Parts>\r\n\t<Part>\r\n\t\t<Name>Bolt</Name>\r\n"
                         "\t\t<Qty>10</Qty>\r\n\t</Part>\r\n\t<Part>\r\n"
                         "\t\t<Name>Nut</Name>\r\n\t\t<Qty>20</Qty>\r\n"
                         "\t</Part>\r\n</Parts>\r\n"));
    context.options.schema = true;
    context.options.schema_name = "Book1.xsd";
    window_->SetPreviewOptions(context.options);
    QTRY_VERIFY(pane.xml().contains(
        "xsi:noNamespaceSchemaLocation=\"Book1.xsd\">\r\n\t<Part>"));
  }

  void NoPromptWithoutAWorkbookOrWhileOneIsUp() {
    Prompt([](RangePrompt&) {});
    QVERIFY(!window_->BeginPrompt({}, [](const auto&) {}));
    window_->EndPrompt();
    QVERIFY(window_->range_prompt() == nullptr);
    window_->ReleaseWorkbook();
    QVERIFY(!window_->BeginPrompt({}, [](const auto&) {}));
  }
};

}  // namespace kestrilo::gui

QTEST_MAIN(kestrilo::gui::RangePromptTest)
#include "range_prompt_test.moc"
