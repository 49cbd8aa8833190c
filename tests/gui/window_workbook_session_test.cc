// SPDX-License-Identifier: MIT
// The workbook window as the export run drives it: answers arrive through
// callbacks from the event loop, a session may be freed at any time, whole
// rows and columns convert as their filled part, and the preview is the
// start of what is written.

#include "gui/spreadsheet/window_workbook_session.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "engine/model/workbook_cell_source.h"
#include "engine/writing/string_sink.h"
#include "engine/writing/xml_writer.h"
#include "event_flush.h"
#include "gui/spreadsheet/range_prompt.h"
#include "gui/spreadsheet/workbook_window.h"
#include "gui/spreadsheet/xml_preview_pane.h"
#include "gui_test_support.h"

namespace kestrilo::gui {

namespace {

// 300 records of four fields and `extra` numeric ones: long enough that
// the preview shows only the start; with many extra fields, large enough
// that the size is counted on a thread of its own.
std::unique_ptr<Workbook> LongWorkbook(int extra) {
  auto workbook = std::make_unique<Workbook>("/tmp/long list.xlsx", "xlsx");
  Sheet& sheet = workbook->AddSheet("List", false);
  const char* heads[] = {"Part no", "Name", "Price", "In stock"};
  for (int column = 1; column <= 4; ++column) {
    sheet.SetText(1, column, heads[column - 1]);
  }
  for (int row = 2; row <= 301; ++row) {
    sheet.SetNumber(row, 1, row);
    sheet.SetText(row, 2, "Part <" + std::to_string(row) + "> & co");
    sheet.SetNumber(row, 3, row * 0.75);
    sheet.SetBoolean(row, 4, row % 3 == 0);
    for (int column = 5; column <= 4 + extra; ++column) {
      sheet.SetNumber(row, column, row * column);
    }
  }
  for (int column = 5; column <= 4 + extra; ++column) {
    sheet.SetText(1, column, "Field " + std::to_string(column));
  }
  sheet.Finish();
  return workbook;
}

std::string FirstLines(const std::string& text, int lines) {
  std::size_t end = 0;
  for (int i = 0; i < lines && end < text.size(); ++i) {
    end = text.find('\n', end) + 1;
  }
  return text.substr(0, end);
}

}  // namespace

class WindowWorkbookSessionTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<WindowWorkbookSession> session_;
  int answers_ = 0;
  std::optional<std::string> answer_;

  WorkbookWindow& window() { return *session_->window(); }
  RangePrompt& prompt() { return *window().range_prompt(); }
  void Ask(const PromptContext& context = {}) {
    answers_ = 0;
    session_->Prompt(context, [this](const std::optional<std::string>& a) {
      ++answers_;
      answer_ = a;
    });
  }

 private slots:
  void init() {
    session_ = std::make_unique<WindowWorkbookSession>("/tmp/sample.xlsx");
    window().SetWorkbook(testing::SampleWorkbook());
  }
  void cleanup() { session_.reset(); }

  void AnswersComeLaterThroughTheCallback() {
    PromptContext context;
    context.position = 2;
    context.count = 4;
    context.file_name = "name.xlsx";
    Ask(context);
    QVERIFY(window().isVisible());
    QCOMPARE(prompt().findChild<QLabel*>("runPosition")->text(),
             QString("Workbook 2 of 4: name.xlsx"));
    testing::Drag(*window().grid(), 2, 2, 3, 3);
    QTest::mouseClick(prompt().ok_button(), Qt::LeftButton);
    QCOMPARE(answers_, 0);  // not from inside the click
    QTRY_COMPARE(answers_, 1);
    QCOMPARE(answer_, std::optional<std::string>("$B$2:$C$3"));
    // Without a name in the context, the session's own file name shows.
    Ask();
    QCOMPARE(prompt().findChild<QLabel*>("runPosition")->text(),
             QString("Workbook 1 of 1: sample.xlsx"));
    window().close();
    QTRY_COMPARE(answers_, 1);
    QVERIFY(!answer_.has_value());
  }

  void FreeingTheSessionAtAnyTimeIsSafe() {
    // In its own answer.
    session_->Prompt(
        {}, [this](const std::optional<std::string>&) { session_.reset(); });
    QTest::keyClick(window().grid(), Qt::Key_Escape);
    QTRY_VERIFY(session_ == nullptr);
    // While the prompt is up, or after an answer is on its way: no answer,
    // once every event posted before has run.
    for (bool answer_first : {false, true}) {
      init();
      Ask();
      if (answer_first) QTest::keyClick(window().grid(), Qt::Key_Return);
      session_.reset();
      QVERIFY(testing::FlushEvents());
      QCOMPARE(answers_, 0);
    }
    // While a large preview is being counted (or once it is counted: the
    // count may be quicker), the workbook or the whole session may go.
    for (bool whole_session : {false, true}) {
      init();
      window().SetWorkbook(LongWorkbook(200));
      Ask();
      QTest::keyClick(window().grid(), Qt::Key_A, Qt::ControlModifier);
      // The preview starts after the mouse rests.
      QTRY_VERIFY(!prompt().preview()->xml().isEmpty());
      if (whole_session) {
        session_.reset();
      } else {
        window().SetWorkbook(testing::SampleWorkbook());
      }
      QVERIFY(testing::FlushEvents());
      QCOMPARE(answers_, 0);
    }
    init();
    Ask();
    session_->Quit();
    QVERIFY(session_->window() == nullptr);
    QVERIFY(testing::FlushEvents());
    QCOMPARE(answers_, 0);
  }

  void OpeningAMissingFileNamesIt() {
    session_ = std::make_unique<WindowWorkbookSession>("/nowhere/gone.xlsx");
    std::optional<std::string> error;
    bool opened = false;
    session_->Open([&](const std::optional<std::string>& e) {
      opened = true;
      error = e;
    });
    QTRY_VERIFY(opened);
    QVERIFY(error.has_value());
    QVERIFY(error->find("gone.xlsx") != std::string::npos);
  }

  void WholeRowsColumnsAndSheetConvertTheirFilledPart() {
    ExportOptions options;
    WorkbookCellSource cells(*window().workbook(), 0);
    const std::pair<const char*, const char*> cases[] = {
        {"$B:$C", "$B$1:$C$5"},       {"$2:$3", "$A$2:$E$3"},
        {"$1:$1048576", "$A$1:$E$5"}, {"$B$2:$C$3", "$B$2:$C$3"},
        {"$G$7:$H$8", "$G$7:$H$8"},  // drawn by hand: converts as drawn
    };
    for (const auto& [selected, converted] : cases) {
      QCOMPARE(session_->ConvertToText(options, selected),
               BlockToXml(cells, options, converted));
    }
    StringSink sink;
    const ConversionReport report =
        session_->Convert(options, "$H:$J", sink, kDefaultMaxOutput);
    QCOMPARE(report.skipped,
             std::string("block is empty ($H:$J of sheet 'Data' has no "
                         "cells)"));
    QVERIFY(sink.Take().empty());
  }

  // While a block converts, the window shows how far it is and the wait
  // pointer; afterwards the pointer is back.
  void ConversionShowsItsProgressAndTheWaitPointer() {
    window().SetWorkbook(LongWorkbook(200));
    struct Watching : XmlSink {
      explicit Watching(WorkbookWindow& window) : window(window) {}
      void Write(std::string_view) override {
        waiting = waiting || window.cursor().shape() == Qt::WaitCursor;
        if (window.status_text().startsWith("Rows completed: ")) {
          shown << window.status_text();
        }
      }
      WorkbookWindow& window;
      bool waiting = false;
      QStringList shown;
    } sink(window());
    session_->Convert(ExportOptions(), "$A:$B", sink, kDefaultMaxOutput);
    QVERIFY(sink.waiting);
    QVERIFY(!sink.shown.isEmpty());
    QCOMPARE(window().status_text(), QStringLiteral("Rows completed: 301"));
    QVERIFY(window().cursor().shape() != Qt::WaitCursor);
  }

  void PreviewIsTheStartOfWhatIsWrittenForEveryLayout() {
    for (int extra : {0, 200}) {
      window().SetWorkbook(LongWorkbook(extra));
      Ask();
      QTest::keyClick(window().grid(), Qt::Key_A, Qt::ControlModifier);
      const XmlPreviewPane& pane = *prompt().preview();
      for (int layout = 0; layout < 12; ++layout) {
        ExportOptions options;
        options.header_row = layout & 1;
        options.header_column = layout & 2;
        options.row_first = layout & 4;
        options.title_tag = layout < 8;
        options.title = "Parts List";
        session_->UpdateOptions(options);
        const std::string written = session_->ConvertToText(
            options, prompt().address_field()->text().toStdString());
        QCOMPARE(pane.xml().toStdString(),
                 FirstLines(written, XmlPreviewPane::kLines));
        const QString size =
            QLocale().toString(static_cast<qlonglong>(
                std::count(written.begin(), written.end(), '\n'))) +
            " lines, " +
            QLocale().toString(static_cast<qlonglong>(written.size()));
        QTRY_VERIFY2(pane.size_text().startsWith(size),
                     qPrintable(pane.size_text() + " / " + size));
      }
      QTest::keyClick(window().grid(), Qt::Key_Escape);
    }
  }
};

}  // namespace kestrilo::gui

QTEST_MAIN(kestrilo::gui::WindowWorkbookSessionTest)
#include "window_workbook_session_test.moc"
