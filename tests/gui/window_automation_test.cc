// The spreadsheet component's operations: the start-up check, the "already
// running" question, and opening workbooks of every format in new windows.

#include "gui/spreadsheet/window_automation.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>

#include "engine/cell_text.h"
#include "engine/export_options.h"
#include "engine/workbook_error.h"
#include "engine/workbook_reader.h"
#include "engine/xml_writer.h"
#include "gui/spreadsheet/automation_checks.h"
#include "gui/spreadsheet/sheet_grid.h"
#include "gui/spreadsheet/workbook_instance.h"
#include "gui/spreadsheet/workbook_window.h"

namespace kestrilo {

namespace {

// An automation whose answers the test sets.
class StubAutomation : public SpreadsheetAutomation {
 public:
  bool can_create = true;
  bool running = false;
  bool fail = false;

  bool CanCreateInstance() override {
    if (fail) throw std::runtime_error("class not registered");
    return can_create;
  }
  bool ExcelIsRunning() override {
    if (fail) throw std::runtime_error("no running object");
    return running;
  }
  std::unique_ptr<SpreadsheetInstance> OpenWorkbookInNewInstance(
      const std::string&) override {
    return nullptr;
  }
};

QString CorpusFile(const char* relative) {
  return QStringLiteral(KESTRILO_SHARED_DIR "/corpus/") + relative;
}

QByteArray FileDigest(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

}  // namespace

class WindowAutomationTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir folder_;

  QString WriteFile(const QString& name, const QByteArray& bytes) {
    const QString path = folder_.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return {};
    file.write(bytes);
    return path;
  }

  QString PartsCsv() {
    return WriteFile("parts list.csv",
                     "Name,Qty,Note\r\nBolt,10,\"steel, zinc\"\r\nNut,20,\r\n");
  }

 private slots:
  void EnsureExcelAvailableReturnsQuietlyWhenPossible() {
    StubAutomation automation;
    bool shown = false;
    bool ended = false;
    QVERIFY(EnsureExcelAvailable(
        automation, "Kestrilo",
        [&](const QString&, const QString&) { shown = true; },
        [&] { ended = true; }));
    QVERIFY(!shown);
    QVERIFY(!ended);
  }

  void EnsureExcelAvailableShowsTheMessageAndEnds_data() {
    QTest::addColumn<bool>("fail");
    QTest::newRow("cannot create") << false;
    QTest::newRow("creating fails") << true;
  }
  void EnsureExcelAvailableShowsTheMessageAndEnds() {
    QFETCH(bool, fail);
    StubAutomation automation;
    automation.can_create = false;
    automation.fail = fail;
    QString caption;
    QString text;
    int shown = 0;
    bool ended_after_message = false;
    const bool available = EnsureExcelAvailable(
        automation, "Kestrilo",
        [&](const QString& c, const QString& t) {
          caption = c;
          text = t;
          ++shown;
        },
        [&] { ended_after_message = shown == 1; });
    QVERIFY(!available);
    QVERIFY(ended_after_message);
    QCOMPARE(caption, QString("Kestrilo"));
    QCOMPARE(
        text,
        QString("Error 842001. A normal instance of Excel could not be "
                "created.\r\n\r\n"
                "1. Please make sure Excel is installed on this computer."
                "\r\n\r\n"
                "2. Please open Excel normally and make sure a blank "
                "spreadsheet opens immediately without any interrupting "
                "window (such as an Excel file recovery window).\r\n\r\n"
                "3. Please make sure that when you double-click on a XLS or "
                "XLSX file that Excel opens normally without any "
                "interrupting messages.\r\n\r\n"
                "4. All versions of Excel are supported by this software "
                "except for the rare Excel Starter and Student editions."));
  }

  void CheckExcelOpenAsksOnlyWhenRunning_data() {
    QTest::addColumn<bool>("running");
    QTest::addColumn<bool>("fail");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("stop");
    QTest::newRow("nothing running")
        << false << false << true << false << false;
    QTest::newRow("attaching fails") << true << true << true << false << false;
    QTest::newRow("running, Yes") << true << false << true << true << false;
    QTest::newRow("running, No") << true << false << false << true << true;
  }
  void CheckExcelOpenAsksOnlyWhenRunning() {
    QFETCH(bool, running);
    QFETCH(bool, fail);
    QFETCH(bool, answer);
    QFETCH(bool, asked);
    QFETCH(bool, stop);
    StubAutomation automation;
    automation.running = running;
    automation.fail = fail;
    QString question;
    const bool result = CheckExcelOpen(automation, [&](const QString& q) {
      question = q;
      return answer;
    });
    QCOMPARE(result, stop);
    QCOMPARE(!question.isEmpty(), asked);
    if (asked) {
      QCOMPARE(question,
               QString("Excel may be open. It is recommended that you close "
                       "Excel first.\rUse Ctrl+Alt+Del > Task Manager > "
                       "EXCEL.EXE if necessary.\r\n\r\nWould you like to "
                       "proceed anyway?"));
    }
  }

  void ComponentCanBeCreatedInAWidgetApplication() {
    WindowAutomation automation;
    QVERIFY(automation.CanCreateInstance());
  }

  void RunningWhileAWindowIsOpen() {
    WindowAutomation automation;
    QVERIFY(!automation.ExcelIsRunning());
    auto instance =
        automation.OpenWorkbookInNewInstance(PartsCsv().toStdString());
    QVERIFY(automation.ExcelIsRunning());
    bool asked = false;
    QVERIFY(CheckExcelOpen(automation, [&](const QString&) {
      asked = true;
      return false;
    }));
    QVERIFY(asked);
    instance->Quit();
    QVERIFY(!automation.ExcelIsRunning());
  }

  void OpensANewInvisibleWindowPerWorkbook() {
    WindowAutomation automation;
    const std::string path = PartsCsv().toStdString();
    auto first = automation.OpenWorkbookInNewInstance(path);
    auto second = automation.OpenWorkbookInNewInstance(path);
    auto* one = static_cast<WorkbookInstance*>(first.get());
    auto* two = static_cast<WorkbookInstance*>(second.get());
    QVERIFY(one->window() != two->window());
    QCOMPARE(WorkbookWindow::open_count(), 2);
    QCOMPARE(first->WorkbooksCount(), 1);
    QVERIFY(!one->window()->isVisible());
    QCOMPARE(one->window()->windowTitle(), QString("parts list.csv"));
    QCOMPARE(first->Value(2, 3).text, std::string_view("steel, zinc"));
  }

  // One workbook of each format we read; the window must show the cells the
  // reader gives, on the sheet the file marks active.
  void OpensEveryFormat_data() {
    QTest::addColumn<QString>("path");
    QTest::newRow("csv") << QString();  // written by the test
    QTest::newRow("xlsx") << CorpusFile("xlsx/calamine__any_sheets.xlsx");
    QTest::newRow("xlsm") << CorpusFile("xlsx/calamine__vba.xlsm");
    QTest::newRow("ods") << CorpusFile("ods/calamine__any_sheets.ods");
    QTest::newRow("xls") << CorpusFile("xls/poi__TwoSheetsOneHidden.xls");
    QTest::newRow("xls biff5")
        << CorpusFile("xls/edr__Test_git_issue_224_simple_95.xls");
  }
  void OpensEveryFormat() {
    QFETCH(QString, path);
    if (path.isEmpty()) path = PartsCsv();
    if (!QFile::exists(path)) QSKIP("The shared workbook corpus is absent.");
    std::unique_ptr<Workbook> expected;
    try {
      expected = ReadWorkbook(path.toStdString());
    } catch (const WorkbookError& error) {
      QSKIP(qPrintable("The reader cannot read it yet: " +
                       QString::fromStdString(error.reason())));
    }
    WindowAutomation automation;
    auto instance = automation.OpenWorkbookInNewInstance(path.toStdString());
    WorkbookWindow* window =
        static_cast<WorkbookInstance*>(instance.get())->window();
    QCOMPARE(instance->WorkbooksCount(), 1);
    QCOMPARE(window->windowTitle(), path.section('/', -1));
    QCOMPARE(window->active_sheet(), expected->active_sheet());
    int visible_sheets = 0;
    for (int i = 0; i < expected->sheet_count(); ++i) {
      if (!expected->sheet(i).hidden() || i == expected->active_sheet()) {
        ++visible_sheets;
      }
    }
    QCOMPARE(window->sheet_tabs()->count(), visible_sheets);
    const Sheet& sheet = expected->sheet(expected->active_sheet());
    const QAbstractItemModel* model = window->grid()->model();
    for (int row = 1; row <= 12; ++row) {
      for (int column = 1; column <= 8; ++column) {
        const CellValue value = sheet.Cell(row, column);
        QCOMPARE(instance->Value(row, column).kind, value.kind);
        const QString shown =
            model->index(row - 1, column - 1).data().toString();
        if (!value.is_error()) {
          QCOMPARE(shown, QString::fromStdString(CellText(value)));
        }
      }
    }
  }

  void UnreadableWorkbooksThrowTheReadersError_data() {
    QTest::addColumn<QString>("path");
    QTest::newRow("missing") << folder_.filePath("no such book.xlsx");
    QTest::newRow("garbage") << QString("garbage.xlsx");
    QTest::newRow("encrypted")
        << CorpusFile("bad/edr__agile_AES128_SHA1_CBC_pwd_password.xlsx");
    QTest::newRow("truncated") << CorpusFile("bad/generated__truncated.xlsx");
  }
  void UnreadableWorkbooksThrowTheReadersError() {
    QFETCH(QString, path);
    if (path == "garbage.xlsx") {
      path = WriteFile(path, QByteArray("PK\x03\x04 this is no zip", 20));
    }
    if (path.contains("/corpus/") && !QFile::exists(path)) {
      QSKIP("The shared workbook corpus is absent.");
    }
    WindowAutomation automation;
    bool thrown = false;
    try {
      automation.OpenWorkbookInNewInstance(path.toStdString());
    } catch (const WorkbookError& error) {
      thrown = true;
      QCOMPARE(QString::fromStdString(error.path()), path);
      QVERIFY(!error.reason().empty());
    }
    QVERIFY(thrown);
    // The window made for it is gone again.
    QVERIFY(!automation.ExcelIsRunning());
  }

  void LoadingShowsItselfAndEndsReady() {
    WorkbookWindow window;
    window.StartLoading(PartsCsv());
    QCOMPARE(window.status_text(), QString("Loading parts list.csv..."));
    QCOMPARE(window.windowTitle(), QString("parts list.csv"));
    QVERIFY(window.loading());
    window.WaitUntilLoaded();
    QVERIFY(!window.loading());
    QCOMPARE(window.status_text(), QString("Ready"));
    QVERIFY(window.workbook() != nullptr);
  }

  void ConvertingNeverWritesTheWorkbook() {
    const QString path = PartsCsv();
    const QByteArray before = FileDigest(path);
    WindowAutomation automation;
    auto instance = automation.OpenWorkbookInNewInstance(path.toStdString());
    instance->SetVisible(true);
    const std::string xml = BlockToXml(*instance, ExportOptions{}, "$A$1:$C$3");
    QVERIFY(xml.find("<Note>steel, zinc</Note>") != std::string::npos);
    instance->Quit();
    QCOMPARE(FileDigest(path), before);
  }
};

}  // namespace kestrilo

QTEST_MAIN(kestrilo::WindowAutomationTest)
#include "window_automation_test.moc"
