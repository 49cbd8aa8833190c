// The range prompt over the workbook window: the user highlights a block
// with the mouse (or types it) while the prompt waits for OK or Cancel.

#include "gui/spreadsheet/range_prompt.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <functional>

#include "gui/spreadsheet/sheet_grid.h"
#include "gui/spreadsheet/workbook_window.h"
#include "gui_test_support.h"

namespace kestrilo {

using testing::Click;
using testing::Drag;
using testing::DragHeader;

class RangePromptTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<WorkbookWindow> window_;

  SheetGrid& grid() { return *window_->grid(); }

  // Opens the prompt and lets `act` work on it from inside its event loop.
  // A prompt left open by a failing check is cancelled after a while, so a
  // failure cannot hang the test.
  std::optional<std::string> Prompt(std::function<void(RangePrompt&)> act) {
    const QMetaObject::Connection shown = connect(
        window_.get(), &WorkbookWindow::RangePromptShown, window_.get(),
        [&] { act(*window_->range_prompt()); }, Qt::QueuedConnection);
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, window_.get(), [&] {
      if (window_->range_prompt()) window_->range_prompt()->reject();
    });
    guard.start(10000);
    std::optional<std::string> result = window_->PromptForRange();
    disconnect(shown);
    return result;
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
  }
  void cleanup() { window_.reset(); }

  void PromptAsksToHighlightABlockOverAVisibleWindow() {
    QString prompt_text;
    bool window_shown = false;
    bool prompt_modal = true;
    Prompt([&](RangePrompt& prompt) {
      window_shown = window_->isVisible();
      prompt_modal =
          prompt.isModal() || prompt.windowModality() != Qt::NonModal;
      for (QLabel* label : prompt.findChildren<QLabel*>()) {
        prompt_text += label->text();
      }
      prompt.reject();
    });
    QCOMPARE(prompt_text, QString("Highlight a block of cells with mouse"));
    QVERIFY(window_shown);
    // Not modal, or the grid under it would not take the mouse.
    QVERIFY(!prompt_modal);
    QVERIFY(window_->range_prompt() == nullptr);
  }

  void FieldFollowsADragAndOkReturnsIt() {
    QString field;
    const auto result = Prompt([&](RangePrompt& prompt) {
      Drag(grid(), 2, 2, 4, 4);
      field = prompt.address_field()->text();
      ClickOk(prompt);
    });
    QCOMPARE(field, QString("$B$2:$D$4"));
    QCOMPARE(result, std::optional<std::string>("$B$2:$D$4"));
  }

  void SeveralAreasAndWholeColumnsAreJoinedByCommas() {
    const auto result = Prompt([&](RangePrompt& prompt) {
      Drag(grid(), 2, 2, 3, 3);
      Click(grid(), 6, 1, Qt::ControlModifier);
      DragHeader(*grid().horizontalHeader(), 7, 8, Qt::ControlModifier);
      DragHeader(*grid().verticalHeader(), 9, 9, Qt::ControlModifier);
      ClickOk(prompt);
    });
    QCOMPARE(result,
             std::optional<std::string>("$B$2:$C$3,$A$6,$H:$I,$10:$10"));
  }

  void WholeColumnByHeaderClick() {
    const auto result = Prompt([&](RangePrompt& prompt) {
      DragHeader(*grid().horizontalHeader(), 2, 2);
      ClickOk(prompt);
    });
    QCOMPARE(result, std::optional<std::string>("$C:$C"));
  }

  void TypedAddressSelectsInTheGrid() {
    std::vector<BlockGeometry> selected;
    const auto result = Prompt([&](RangePrompt& prompt) {
      Type(prompt, "b2:c3, e5");
      selected = grid().areas();
      ClickOk(prompt);
    });
    const std::vector<BlockGeometry> expected = {{2, 2, 2, 2}, {5, 1, 5, 1}};
    QVERIFY(selected == expected);
    QCOMPARE(result, std::optional<std::string>("$B$2:$C$3,$E$5"));
  }

  void TypedSheetNameSwitchesTheActiveSheet() {
    const auto result = Prompt([&](RangePrompt& prompt) {
      Type(prompt, "'Totals'!A1:B2");
      ClickOk(prompt);
    });
    QCOMPARE(window_->active_sheet(), 2);
    QCOMPARE(result, std::optional<std::string>("$A$1:$B$2"));
  }

  void EnterConfirms() {
    const auto result = Prompt([&](RangePrompt& prompt) {
      Type(prompt, "$C$3");
      QTest::keyClick(prompt.address_field(), Qt::Key_Return);
    });
    QCOMPARE(result, std::optional<std::string>("$C$3"));
  }

  void EnterOrEscapeInTheGridAnswersThePrompt() {
    QCOMPARE(Prompt([&](RangePrompt&) {
               Drag(grid(), 3, 2, 6, 2);
               QTest::keyClick(&grid(), Qt::Key_Enter);
             }),
             std::optional<std::string>("$B$3:$B$6"));
    QVERIFY(!Prompt([&](RangePrompt&) {
               Drag(grid(), 3, 2, 6, 2);
               QTest::keyClick(&grid(), Qt::Key_Escape);
             }).has_value());
    // Without a prompt, Enter moves down as usual.
    testing::Click(grid(), 3, 2);
    QTest::keyClick(&grid(), Qt::Key_Return);
    QCOMPARE(grid().active_cell(), (CellPosition{4, 2}));
  }

  void CancelReturnsNothing() {
    const auto result = Prompt([&](RangePrompt& prompt) {
      Drag(grid(), 2, 2, 4, 4);
      QTest::mouseClick(prompt.cancel_button(), Qt::LeftButton);
    });
    QVERIFY(!result.has_value());
  }

  void EscapeOrClosingThePromptReturnsNothing() {
    QVERIFY(!Prompt([&](RangePrompt& prompt) {
               Drag(grid(), 2, 2, 4, 4);
               QTest::keyClick(&prompt, Qt::Key_Escape);
             }).has_value());
    QVERIFY(!Prompt([&](RangePrompt& prompt) {
               Drag(grid(), 2, 2, 4, 4);
               prompt.close();
             }).has_value());
  }

  void ClosingTheWindowReturnsNothing() {
    const auto result = Prompt([&](RangePrompt&) {
      Drag(grid(), 2, 2, 4, 4);
      window_->close();
    });
    QVERIFY(!result.has_value());
    QVERIFY(!window_->isVisible());
  }

  void InvalidOrEmptyAddressReturnsNothing() {
    QString background;
    QVERIFY(!Prompt([&](RangePrompt& prompt) {
               Type(prompt, "B2:");
               background = prompt.address_field()->styleSheet();
               ClickOk(prompt);
             }).has_value());
    QVERIFY(!background.isEmpty());  // marked as wrong while typed
    QVERIFY(!Prompt([&](RangePrompt& prompt) {
               Type(prompt, "Nowhere!A1");
               ClickOk(prompt);
             }).has_value());
    QVERIFY(!Prompt([&](RangePrompt& prompt) {
               prompt.address_field()->clear();
               ClickOk(prompt);
             }).has_value());
  }

  void PromptsOneAfterAnother() {
    QCOMPARE(Prompt([&](RangePrompt& prompt) {
               Drag(grid(), 1, 1, 2, 2);
               ClickOk(prompt);
             }),
             std::optional<std::string>("$A$1:$B$2"));
    QCOMPARE(Prompt([&](RangePrompt& prompt) {
               Click(grid(), 3, 3);
               ClickOk(prompt);
             }),
             std::optional<std::string>("$C$3"));
  }

  void NoPromptWithoutAWorkbook() {
    window_->ReleaseWorkbook();
    QVERIFY(!window_->PromptForRange().has_value());
  }
};

}  // namespace kestrilo

QTEST_MAIN(kestrilo::RangePromptTest)
#include "range_prompt_test.moc"
