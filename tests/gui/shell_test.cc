// The shell's small pieces: the error report's text, the handler guard,
// the application title, the settings store and the path and list helpers.

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <stdexcept>

#include "gui/filelist/file_list_view.h"
#include "gui/shell/application_title.h"
#include "gui/shell/error_report.h"
#include "gui/shell/handler_guard.h"
#include "gui/shell/program_folder.h"
#include "gui/shell/settings_store.h"
#include "gui/shell/shell_utilities.h"
#include "gui_fakes.h"

using namespace kestrilo;
using namespace kestrilo::testing;

class ShellTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { UseTestSettings(); }
  void init() { ClearSettings(); }

  void ErrorTextHasDescriptionLocationLineAndSupportSentence() {
    QCOMPARE(ApplicationErrorText("Disk full",
                                  "in Kestrix2021/08/31.Form1.Form_Load ", 158),
             QStringLiteral("Disk full\r\nin Kestrix2021/08/31.Form1.Form_Load "
                            "at line 158\r\rPlease email screenshot of this "
                            "message to support@kestrilo.example"));
  }

  void GuardReportsEachFailingStatementAndGoesOn() {
    ScriptedDialogs dialogs;
    HandlerGuard guard(dialogs,
                       "in Kestrix2021/08/31.Form1.PushButton5_Click ");
    QStringList done;
    guard.Run(100, [&] { done << "100"; });
    guard.Run(102, [] { throw std::runtime_error("first"); });
    guard.Run(104, [&] { done << "104"; });
    guard.Run(106, [] { throw 42; });
    QCOMPARE(done, (QStringList{"100", "104"}));
    QCOMPARE(guard.failures(), 2);
    const QStringList reports = dialogs.Texts("error");
    QCOMPARE(reports.size(), 2);
    QVERIFY(reports[0].startsWith(
        "first\r\nin Kestrix2021/08/31.Form1.PushButton5_Click at line "
        "102\r\r"));
    QVERIFY(reports[1].contains("PushButton5_Click at line 106\r\r"));
  }

  void FailingTestRunsTheGuardedStep() {
    ScriptedDialogs dialogs;
    HandlerGuard guard(dialogs, "in X ");
    QVERIFY(!guard.Test(1, [] { return false; }));
    QVERIFY(guard.Test(2, [] { return true; }));
    QVERIFY(guard.Test(3, []() -> bool { throw std::runtime_error("bad"); }));
    QCOMPARE(dialogs.Texts("error").size(), 1);
    QVERIFY(dialogs.Texts("error")[0].contains("in X at line 3"));
  }

  void TitleIsShortenedByWholeWordsBeyondFortyCharacters() {
    QCOMPARE(SetApplicationTitle(), QStringLiteral("Kestrilo"));
    QCOMPARE(ApplicationTitle(), QStringLiteral("Kestrilo"));
    const QString forty = QString(34, 'a') + " bbbbb";  // exactly 40
    QCOMPARE(SetApplicationTitle(forty), forty);
    QCOMPARE(
        SetApplicationTitle("Kestrilo the spreadsheet to XML exporter deluxe"),
        QStringLiteral("Kestrilo the spreadsheet to XML exporter"));
    QCOMPARE(SetApplicationTitle(QString(45, 'x')), QString(45, 'x'));
    SetApplicationTitle();
  }

  void SettingsKeepTextsUnderTheirNames() {
    QCOMPARE(GetSetting("Title", "XML"), QStringLiteral("XML"));
    SaveSetting("Title", "");
    QCOMPARE(GetSetting("Title", "XML"), QString());
    SaveSetting("Flip Row", "2");
    QCOMPARE(StoredSetting("Flip Row").toString(), QStringLiteral("2"));
    // The store lives in the test's own folder, never in the user's.
    QSettings settings(QStringLiteral("Velmora"), QStringLiteral("Kestrilo"));
    QVERIFY(settings.fileName().startsWith(QDir::tempPath()));
    QVERIFY(settings.fileName().endsWith("Velmora/Kestrilo.conf"));
  }

  void DesktopPathEndsInOneSeparator() {
    const QString path = DesktopFolderPath();
    QVERIFY(path.endsWith(QDir::separator()));
    QVERIFY(!path.endsWith(QString(2, QDir::separator())));
    // A folder that exists, so that the first export can go ahead.
    QVERIFY(QFileInfo(path).isDir());
  }

  void PathExistsOnlyForSomethingThere() {
    QTemporaryDir folder;
    QVERIFY(!PathExists(""));
    QVERIFY(PathExists(folder.path()));
    QVERIFY(!PathExists(folder.filePath("missing.cur")));
    QFile file(folder.filePath("HAND-M.CUR"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(PathExists(file.fileName()));
  }

  void ListHasItemComparesExactText() {
    FileListView list;
    QVERIFY(!ListHasItem(list, "/data/a.xlsx"));
    list.Append("/data/a.xlsx");
    list.Append("/data/b.xlsx");
    QVERIFY(ListHasItem(list, "/data/b.xlsx"));
    QVERIFY(!ListHasItem(list, "/data/B.xlsx"));
    QVERIFY(!ListHasItem(list, "/data/b.xlsx "));
  }

  void ProgramFolderCanBeSetForTests() {
    SetProgramFolderForTesting("/opt/somewhere");
    QCOMPARE(ProgramFolder(), QStringLiteral("/opt/somewhere"));
    SetProgramFolderForTesting("");
    QCOMPARE(ProgramFolder(),
             QDir::toNativeSeparators(QCoreApplication::applicationDirPath()));
  }
};

QTEST_MAIN(ShellTest)
#include "shell_test.moc"
