// SPDX-License-Identifier: MIT
// The pieces every layer of the window shares: the error report and its
// steps, the settings store, the data folder, and the application title.

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <stdexcept>

#include "gui/common/data_folder.h"
#include "gui/common/error_report.h"
#include "gui/common/settings_store.h"
#include "gui/common/step_guard.h"
#include "gui/run/export_settings.h"
#include "gui/shell/application_title.h"
#include "gui_fakes.h"

using namespace kestrilo::gui;
using namespace kestrilo::testing;

class CommonTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { UseTestSettings(); }
  void init() { ClearSettings(); }

  void ErrorReportTextIsTheOneUsersQuote() {
    const QString report = QStringLiteral(
        "Disk full\r\nin Kestrix2021/08/31.Form1.Form_Load at line 158");
    QCOMPARE(ErrorReportText("Disk full", Step::kRestoreOutputFolder,
                             "help@velmora.example"),
             report +
                 "\r\rPlease email screenshot of this message to "
                 "help@velmora.example");
    // No contact set for the build: no one to ask, and nothing else changes.
    QCOMPARE(ErrorReportText("Disk full", Step::kRestoreOutputFolder, ""),
             report);
    QCOMPARE(LocationOf(Step::kReadFolder),
             QStringLiteral(
                 "in Tarnwick2021/08/31.AddFolder.GetSubDirectories2016 "));
    QCOMPARE(LocationOf(Step::kListFolderFiles),
             QStringLiteral("in Kestrix2021/08/31.Form1.PushButton5_Click "));
    QCOMPARE(LineOf(Step::kWriteOutput), 166);
  }

  void GuardReportsEachFailingStepAndGoesOn() {
    ScriptedDialogs dialogs;
    StepGuard guard(dialogs);
    QStringList done;
    QVERIFY(guard.Run(Step::kApplySkin, [&] { done << "skin"; }));
    QVERIFY(!guard.Run(Step::kOpenWorkbook,
                       [] { throw std::runtime_error("first"); }));
    QVERIFY(!guard.Run(Step::kConvertBlock, [] { throw 42; }));
    guard.Report(Step::kLoadSamples, "told");
    QCOMPARE(done, QStringList{"skin"});
    QCOMPARE(guard.failures(), 3);
    const QStringList reports = dialogs.Texts("error");
    QCOMPARE(reports.size(), 3);
    QVERIFY(reports[0].startsWith(
        "first\r\nin Kestrix2021/08/31.Form1.PushButton8_Click at line "
        "150"));
    QVERIFY(reports[1].startsWith("Unknown error\r\n"));
    QVERIFY(reports[2].contains("PushButton1_Click at line 100"));
  }

  void SettingsKeepTheirOldNames() {
    QCOMPARE(SettingsStore::Read(QStringLiteral("Title"), "XML"),
             QStringLiteral("XML"));
    SettingsStore::Write(QStringLiteral("Flip Row"), "2");
    SettingsStore::Write(SettingsStore::Key::kLastOutputFolder, "/a");
    SettingsStore::Write(SettingsStore::Key::kLastScanFolder, "/b");
    QCOMPARE(StoredSetting("Flip Row").toString(), QStringLiteral("2"));
    QCOMPARE(StoredSetting("LastFolderDot").toString(), QStringLiteral("/a"));
    QCOMPARE(StoredSetting("LastFolder").toString(), QStringLiteral("/b"));
    QSettings settings(QStringLiteral("Velmora"), QStringLiteral("Kestrilo"));
    QVERIFY(settings.fileName().startsWith(QDir::tempPath()));
    QVERIFY(settings.fileName().endsWith("Velmora/Kestrilo.conf"));
  }

  void DataFolderIsBesideTheProgramOrInstalledUnderShare() {
    SetDataFolderForTesting("/opt/somewhere");
    QCOMPARE(DataFile("Samples"), QStringLiteral("/opt/somewhere/Samples"));
    SetDataFolderForTesting("");
    // The test program has no share/kestrilo above it.
    QCOMPARE(DataFolder(), QCoreApplication::applicationDirPath());
    QTemporaryDir prefix;
    QVERIFY(QDir(prefix.path()).mkpath("bin"));
    QVERIFY(QDir(prefix.path()).mkpath("share/kestrilo/Samples"));
    QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(),
                        prefix.filePath("bin/common_test")));
    QProcess installed;
    installed.start(prefix.filePath("bin/common_test"), {"PrintDataFolder"});
    QVERIFY(installed.waitForFinished(30000));
    QVERIFY2(installed.readAllStandardOutput().contains(
                 QDir::cleanPath(prefix.filePath("share/kestrilo")).toUtf8()),
             "the installed program looks under share/kestrilo");
  }

  void DesktopPathEndsInOneSeparator() {
    const QString path = ExportSettings::DesktopFolderPath();
    QVERIFY(path.endsWith(QDir::separator()));
    QVERIFY(!path.endsWith(QString(2, QDir::separator())));
    QVERIFY(QFileInfo(path).isDir());
  }

  void TitleIsShortenedByWholeWordsBeyondFortyCharacters() {
    QCOMPARE(SetApplicationTitle(), QStringLiteral("Kestrilo"));
    const QString forty = QString(34, 'a') + " bbbbb";
    QCOMPARE(SetApplicationTitle(forty), forty);
    QCOMPARE(
        SetApplicationTitle("Kestrilo the spreadsheet to XML exporter deluxe"),
        QStringLiteral("Kestrilo the spreadsheet to XML exporter"));
    QCOMPARE(SetApplicationTitle(QString(45, 'x')), QString(45, 'x'));
    SetApplicationTitle();
  }
};

// Run as "common_test PrintDataFolder", the program prints where it finds
// its data, so that a copy placed in a bin folder can be asked.
int main(int argc, char** argv) {
  if (argc == 2 && QByteArray(argv[1]) == "PrintDataFolder") {
    QCoreApplication application(argc, argv);
    std::puts(qPrintable(DataFolder()));
    return 0;
  }
  QApplication application(argc, argv);
  CommonTest test;
  return QTest::qExec(&test, argc, argv);
}
#include "common_test.moc"
