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
#include "gui/run/export_settings.h"
#include "gui/spreadsheet/range_prompt.h"
#include "gui/spreadsheet/workbook_window.h"
#include "gui/spreadsheet/xml_preview_pane.h"
#include "gui_fakes.h"
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

// A header row and two records whose cells every option changes: number
// formats to show, text to escape, headers that are no valid names, an
// attribute column for records.
std::unique_ptr<Workbook> FormatsWorkbook() {
  auto workbook = std::make_unique<Workbook>("/tmp/formats.xlsx", "xlsx");
  StyleTable& styles = workbook->styles();
  const auto style = [&styles](const char* code) {
    CellStyle cell;
    cell.format = styles.AddFormat(code);
    return styles.Add(cell);
  };
  const std::uint32_t money = style("$#,##0.00");
  const std::uint32_t percent = style("0.00%");
  const std::uint32_t date = style("m/d/yyyy");
  Sheet& sheet = workbook->AddSheet("Prices", false);
  const char* heads[] = {"Part no", "@Name", "Price (USD)", "2021 Share",
                         "Since"};
  for (int column = 1; column <= 5; ++column) {
    sheet.SetText(1, column, heads[column - 1]);
  }
  for (int row = 2; row <= 3; ++row) {
    sheet.SetNumber(row, 1, row);
    sheet.SetText(row, 2, row == 2 ? "Bolt <M4> & nut" : "");
    sheet.SetNumber(row, 3, 1234.5 * row, money);
    sheet.SetNumber(row, 4, 0.125 * row, percent);
    sheet.SetDateTime(row, 5, 44438 + row, false, date);
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

  // "Stop the Run" shows where the run can be stopped, and asks it to stop
  // when pressed or reached by its access key; the prompt answers nothing
  // itself.
  void StopTheRunButtonAsksTheRunToStop() {
    Ask();
    const auto stop_button = [this]() -> QPushButton* {
      for (QPushButton* button : prompt().findChildren<QPushButton*>()) {
        if (button->text() == QStringLiteral("Stop the &Run")) return button;
      }
      return nullptr;
    };
    QVERIFY(stop_button() != nullptr && !stop_button()->isVisible());
    window().EndPrompt();
    int stops = 0;
    PromptContext context;
    context.stop_run = [&stops] { ++stops; };
    Ask(context);
    QVERIFY(stop_button()->isVisible());
    QTest::mouseClick(stop_button(), Qt::LeftButton);
    QTRY_COMPARE(stops, 1);
    window().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window()));
    QTest::keyClick(window().grid(), Qt::Key_R, Qt::AltModifier);
    QTRY_COMPARE(stops, 2);
    QVERIFY(testing::FlushEvents());
    QCOMPARE(answers_, 0);
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

  // Every value of every export option of the window, in each layout: the
  // preview shows byte for byte the XML the file gets, and its size.
  void PreviewIsWhatIsWrittenForEveryOption() {
    testing::UseTestSettings();
    window().SetWorkbook(FormatsWorkbook());
    Ask();
    testing::Drag(*window().grid(), 1, 1, 3, 5);
    const XmlPreviewPane& pane = *prompt().preview();
    const std::string address = prompt().address_field()->text().toStdString();
    QCOMPARE(address, std::string("$A$1:$E$3"));
    int compared = 0;
    for (const ExportOptionRow& row : ExportOptionRows()) {
      QStringList values;
      for (const OptionChoice& choice : row.choices) values << choice.code;
      if (row.kind == OptionKind::kCheck) values = {"0", "1"};
      if (row.kind == OptionKind::kText) values = {"Probe <&> Tag", ""};
      for (const QString& value : values) {
        for (int mode = 1; mode <= 5; ++mode) {
          testing::ClearSettings();
          ExportSettings settings;
          settings.SetHeaderMode(static_cast<ExportSettings::HeaderMode>(mode));
          settings.Set(row, value);
          const ExportOptions options = settings.Options();
          session_->UpdateOptions(options);
          const std::string written = session_->ConvertToText(options, address);
          const QString what = QStringLiteral("%1=%2 in layout %3")
                                   .arg(row.key, value)
                                   .arg(mode);
          QVERIFY2(pane.xml().toStdString() == written, qPrintable(what));
          QVERIFY2(
              pane.size_text().startsWith(
                  QLocale().toString(static_cast<qlonglong>(
                      std::count(written.begin(), written.end(), '\n'))) +
                  " lines, " +
                  QLocale().toString(static_cast<qlonglong>(written.size())) +
                  " bytes"),
              qPrintable(what + ": " + pane.size_text()));
          ++compared;
        }
      }
    }
    QVERIFY(compared >= 5 * 20);
  }
};

}  // namespace kestrilo::gui

QTEST_MAIN(kestrilo::gui::WindowWorkbookSessionTest)
#include "window_workbook_session_test.moc"
