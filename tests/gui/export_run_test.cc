// SPDX-License-Identifier: MIT
// The export run with scripted workbook sessions: preconditions, cancels,
// failures of single workbooks and how the run ends after them, inputs
// never overwritten, re-entry, and the files byte for byte.

#include "gui/run/export_run.h"

#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <memory>

#include "event_flush.h"
#include "gui/common/ui_texts.h"
#include "gui/filelist/file_list_model.h"
#include "gui/run/export_settings.h"
#include "gui_fakes.h"

using namespace kestrilo;
using namespace kestrilo::gui;
using namespace kestrilo::testing;

namespace {

constexpr char kCancelText[] = "You did not select a range. Please try again.";

// The sample block B2:D4.
const Grid kFruit = {{},
                     {"", "Fruit", "Unit Price", "Qty"},
                     {"", "Apple", "1.5", "10"},
                     {"", "Green Pear", "2", "7"}};
const Grid kTools = {{"Tool", "Count"}, {"Saw & <Axe>", "3"}};

const QByteArray kFruitXml =
    "<XML>\r\n"
    "\t<Fruit>Apple</Fruit>\r\n"
    "\t<UnitPrice>1.5</UnitPrice>\r\n"
    "\t<Qty>10</Qty>\r\n"
    "\t<Fruit>Green Pear</Fruit>\r\n"
    "\t<UnitPrice>2</UnitPrice>\r\n"
    "\t<Qty>7</Qty>\r\n"
    "</XML>\r\n";
const QByteArray kToolsXml =
    "<XML>\r\n"
    "\t<Tool>Saw &amp; &lt;Axe&gt;</Tool>\r\n"
    "\t<Count>3</Count>\r\n"
    "</XML>\r\n";

}  // namespace

class ExportRunTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<QTemporaryDir> out_;
  FakeOpener opener_;
  ScriptedDialogs dialogs_;
  std::unique_ptr<FileListModel> list_;
  std::unique_ptr<ExportSettings> settings_;
  std::unique_ptr<ExportRun> run_;

  void List(const QStringList& paths) {
    for (const QString& path : paths) list_->Append(path);
  }
  QByteArray Output(const QString& name) {
    QFile file(out_->filePath(name));
    if (!file.open(QIODevice::ReadOnly)) return "(missing)";
    return file.readAll();
  }
  QStringList OutputFiles() {
    return QDir(out_->path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
  }
  void Run() {
    QSignalSpy finished(run_.get(), &ExportRun::Finished);
    run_->Start();
    if (run_->running()) QVERIFY(finished.wait(60000));
    QVERIFY(!run_->running());
    QVERIFY(!list_->locked());
    QCOMPARE(opener_.open_sessions, 0);
  }
  std::vector<std::string> Events(const std::string& kind) {
    std::vector<std::string> found;
    for (const std::string& event : opener_.events) {
      if (event.starts_with(kind)) found.push_back(event);
    }
    return found;
  }

 private slots:
  void initTestCase() { UseTestSettings(); }
  void init() {
    ClearSettings();
    out_ = std::make_unique<QTemporaryDir>();
    opener_ = FakeOpener();
    opener_.workbooks = {{"/in/a/Fruit.xlsx", kFruit},
                         {"/in/b/Fruit.xlsm", kFruit},
                         {"/in/Tools.2021.q1.xls", kTools},
                         {"/in/README", kTools}};
    dialogs_ = ScriptedDialogs();
    list_ = std::make_unique<FileListModel>();
    settings_ = std::make_unique<ExportSettings>();
    // A trailing separator, as the folder chooser leaves it.
    settings_->SetOutputFolder(out_->path() + QDir::separator());
    run_ = std::make_unique<ExportRun>(opener_, dialogs_, *list_, *settings_);
  }
  void cleanup() { run_.reset(); }

  void PreconditionsAreToldAndNothingOpens() {
    Run();
    QCOMPARE(dialogs_.Texts("message"), QStringList{"No files added."});
    List({"/in/a/Fruit.xlsx"});
    QFile file(out_->filePath("plain.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    for (const QString& folder :
         {QString(), out_->filePath("missing"), file.fileName()}) {
      settings_->SetOutputFolder(folder);
      Run();
    }
    QCOMPARE(dialogs_.Texts("message").mid(1),
             QStringList(3,
                         "Folder does not exist. Please select another "
                         "folder."));
    QVERIFY(opener_.events.empty());
  }

  void OpenWorkbookWindowIsAskedAboutOnce() {
    List({"/in/a/Fruit.xlsx", "/in/Tools.2021.q1.xls"});
    opener_.any_open = true;
    dialogs_.answers = {false, true};
    Run();  // No: nothing happens
    QCOMPARE(dialogs_.Kinds(), QStringList{"question"});
    QVERIFY(dialogs_.Texts("question")[0].startsWith(
        "A workbook window is still open."));
    QVERIFY(!dialogs_.Texts("question")[0].contains("Excel"));
    QVERIFY(opener_.events.empty());
    opener_.prompts = {Select("$B$2:$D$4"), Select("$A$1:$B$2")};
    Run();  // Yes: the whole run goes ahead
    QCOMPARE(dialogs_.Kinds(),
             (QStringList{"question", "question", "message"}));
    QCOMPARE(dialogs_.Texts("message"), QStringList{"Done."});
  }

  void EveryWorkbookBecomesItsFileByteForByte() {
    List({"/in/a/Fruit.xlsx", "/in/Tools.2021.q1.xls", "/in/README"});
    QList<int> positions;
    QStringList names;
    opener_.prompts = {Select("$B$2:$D$4"), Select("$A$1:$B$2"),
                       [&](const PromptContext& context) {
                         positions << context.position << context.count;
                         names << context.file_name;
                         return std::optional<std::string>("A1:B2");
                       }};
    Run();
    QCOMPARE(dialogs_.Kinds(), QStringList{"message"});
    QCOMPARE(dialogs_.Texts("message"), QStringList{"Done."});
    QCOMPARE(OutputFiles(),
             (QStringList{"Fruit.xml", "README.xml", "Tools.2021.q1.xml"}));
    QCOMPARE(Output("Fruit.xml"), kFruitXml);
    QCOMPARE(Output("Tools.2021.q1.xml"), kToolsXml);
    QCOMPARE(Output("README.xml"), kToolsXml);
    QCOMPARE(positions, (QList<int>{3, 3}));
    QCOMPARE(names, QStringList{"README"});
    const std::vector<std::string> expected = {"open /in/a/Fruit.xlsx",
                                               "prompt /in/a/Fruit.xlsx",
                                               "quit /in/a/Fruit.xlsx",
                                               "open /in/Tools.2021.q1.xls",
                                               "prompt /in/Tools.2021.q1.xls",
                                               "quit /in/Tools.2021.q1.xls",
                                               "open /in/README",
                                               "prompt /in/README",
                                               "quit /in/README"};
    QCOMPARE(opener_.events, expected);
  }

  // The run's last message is true however it ended: a cancelled prompt
  // counts as skipped, even on the last workbook.
  void TheLastMessageCountsWhatBecameNoFile_data() {
    QTest::addColumn<QStringList>("answers");  // select, cancel or broken
    QTest::addColumn<QString>("last");
    QTest::newRow("all exported")
        << QStringList{"select", "select"} << QStringLiteral("Done.");
    QTest::newRow("one failed")
        << QStringList{"select", "broken"}
        << QStringLiteral(
               "Done.\r\n1 of 2 workbooks exported; 1 failed "
               "(see the messages before this one)\r\n\r\nFailed:\r\n"
               "/in/broken.xlsx");
    QTest::newRow("last cancelled")
        << QStringList{"select", "cancel"}
        << QStringLiteral(
               "Done.\r\n1 of 2 workbooks exported; 1 skipped\r\n\r\n"
               "Skipped:\r\n/in/README");
    QTest::newRow("last cancelled after a failure")
        << QStringList{"broken", "select", "cancel"}
        << QStringLiteral(
               "Done.\r\n1 of 3 workbooks exported; 1 skipped; 1 "
               "failed (see the messages before this one)\r\n\r\n"
               "Skipped:\r\n/in/a/Fruit.xlsx\r\n\r\n"
               "Failed:\r\n/in/broken.xlsx");
    QTest::newRow("all cancelled")
        << QStringList{"cancel", "cancel"}
        << QStringLiteral(
               "Done.\r\n0 of 2 workbooks exported; 2 skipped\r\n\r\n"
               "Skipped:\r\n/in/a/Fruit.xlsx\r\n/in/README");
  }
  void TheLastMessageCountsWhatBecameNoFile() {
    QFETCH(QStringList, answers);
    QFETCH(QString, last);
    QStringList paths;
    for (const QString& answer : answers) {
      if (answer == "broken") {
        paths << QStringLiteral("/in/broken.xlsx");
        continue;
      }
      paths << (paths.size() % 2 == 0 ? QStringLiteral("/in/a/Fruit.xlsx")
                                      : QStringLiteral("/in/README"));
      opener_.prompts.push_back(answer == "cancel" ? Cancel()
                                                   : Select("$A$1:$B$2"));
    }
    List(paths);
    Run();
    QCOMPARE(dialogs_.Texts("message").last(), last);
    QCOMPARE(Events("quit").size(), static_cast<std::size_t>(answers.size()));
  }

  // A file larger than the run's threshold is written only when the user
  // says so; otherwise the workbook is skipped.
  void ALargeOutputIsWrittenOnlyWhenTheUserSaysSo_data() {
    QTest::addColumn<bool>("write");
    QTest::newRow("no") << false;
    QTest::newRow("yes") << true;
  }
  void ALargeOutputIsWrittenOnlyWhenTheUserSaysSo() {
    QFETCH(bool, write);
    run_->SetAskAboveBytes(100);
    List({"/in/a/Fruit.xlsx"});
    opener_.prompts = {Select("$A$1:$J$20")};
    dialogs_.answers.push_back(write);
    Run();
    const QStringList questions = dialogs_.Texts("question");
    QCOMPARE(questions,
             QStringList{"The XML of /in/a/Fruit.xlsx would take at least 2 "
                         "kB. Write it anyway?"});
    QCOMPARE(OutputFiles(), write ? QStringList{"Fruit.xml"} : QStringList());
    QCOMPARE(dialogs_.Texts("message").last(),
             write ? QStringLiteral("Done.")
                   : QStringLiteral("Done.\r\n0 of 1 workbook exported; 1 "
                                    "skipped\r\n\r\nSkipped:\r\n"
                                    "/in/a/Fruit.xlsx"));
  }

  // A block that holds no cells gives no file, and the run says why.
  void AnEmptyBlockIsSkippedWithItsReason() {
    List({"/in/a/Fruit.xlsx", "/in/README"});
    opener_.prompts = {Select("$H:$J"), Select("$A$1:$B$2")};
    Run();
    const QStringList messages = dialogs_.Texts("message");
    QCOMPARE(messages.size(), 2);
    QCOMPARE(messages[0],
             QStringLiteral("/in/a/Fruit.xlsx: block is empty ($H:$J of "
                            "sheet 'Sheet1' has no cells); skipped"));
    QCOMPARE(messages[1], QStringLiteral("Done.\r\n1 of 2 workbooks "
                                         "exported; 1 skipped\r\n\r\n"
                                         "Skipped:\r\n/in/a/Fruit.xlsx"));
    QCOMPARE(OutputFiles(), QStringList{"README.xml"});
  }

  void FailuresAreCountedInTheLastMessage() {
    QVERIFY(QDir(out_->path()).mkdir("README.xml"));  // a folder in the way
    List({"/in/a/Fruit.xlsx", "/in/broken.xlsx", "/in/Tools.2021.q1.xls",
          "/in/b/Fruit.xlsm", "/in/README"});
    opener_.prompts = {Select("$B$2:$D$4"), Select("not an address"),
                       Select("$B$2:$D$4"), Select("$A$1:$B$2")};
    Run();
    const QStringList reports = dialogs_.Texts("error");
    QCOMPARE(reports.size(), 3);
    QVERIFY(reports[0].startsWith(
        "/in/broken.xlsx: the file is not a workbook we can read\r\n"
        "in Kestrix2021/08/31.Form1.PushButton8_Click at line 150"));
    QVERIFY(reports[1].startsWith("/in/Tools.2021.q1.xls: "));
    QVERIFY(reports[1].contains("PushButton8_Click at line 164"));
    QVERIFY(reports[2].contains("PushButton8_Click at line 166"));
    QCOMPARE(dialogs_.Texts("message").last(),
             QStringLiteral("Done.\r\n2 of 5 workbooks exported; 3 failed "
                            "(see the messages before this one)\r\n\r\n"
                            "Failed:\r\n/in/broken.xlsx\r\n"
                            "/in/Tools.2021.q1.xls\r\n/in/README"));
    // A failed conversion writes nothing under the workbook's name.
    QCOMPARE(OutputFiles(), QStringList{"Fruit.xml"});
    QCOMPARE(Events("quit").size(), std::size_t{5});
  }

  // "Stop the Run" ends the run after a question: the workbook at the
  // prompt and those not begun are not exported, and the summary says so.
  // Said No to, the run goes on.
  void StopTheRunEndsItAtOnceAfterAQuestion() {
    List({"/in/a/Fruit.xlsx", "/in/README", "/in/a/Fruit.xlsx", "/in/README",
          "/in/a/Fruit.xlsx"});
    const auto stop = [](const PromptContext& context) {
      context.stop_run();
      return std::optional<std::string>("$A$1:$B$2");
    };
    opener_.prompts = {stop, Select("$A$1:$B$2"), stop};
    dialogs_.answers = {false, true};
    Run();
    QCOMPARE(dialogs_.Texts("question"),
             (QStringList{"Stop the whole run? This workbook and any after it "
                          "(5 in all) will not be exported.",
                          "Stop the whole run? This workbook and any after it "
                          "(3 in all) will not be exported."}));
    QCOMPARE(dialogs_.Texts("message").last(),
             QStringLiteral("Done.\r\n2 of 5 workbooks exported; 1 skipped; "
                            "2 not begun (the run was stopped)\r\n\r\n"
                            "Skipped:\r\n/in/a/Fruit.xlsx"));
    QCOMPARE(Events("open").size(), std::size_t{3});
    QCOMPARE(Events("quit").size(), std::size_t{3});
    QCOMPARE(OutputFiles(), (QStringList{"Fruit.xml", "README.xml"}));
  }

  // The summary names up to ten workbooks of a kind, then counts the rest.
  void TheSummaryNamesTenThenCounts() {
    QStringList paths;
    for (int i = 0; i < 12; ++i) {
      paths << QStringLiteral("/in/missing %1.xlsx").arg(i + 1);
    }
    List(paths);
    Run();
    QStringList named = paths.mid(0, 10);
    QCOMPARE(dialogs_.Texts("message").last(),
             QStringLiteral("Done.\r\n0 of 12 workbooks exported; 12 failed "
                            "(see the messages before this one)\r\n\r\n"
                            "Failed:\r\n") +
                 named.join("\r\n") + QStringLiteral("\r\nand 2 more"));
  }

  // The file fails while the text streams in (here: beyond the file size
  // limit): a failed write, not a failed conversion, and the earlier file
  // stays whole.
  void WriteFailingHalfWayKeepsTheEarlierFile() {
    QFile earlier(out_->filePath("Fruit.xml"));
    QVERIFY(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier");
    earlier.close();
    List({"/in/a/Fruit.xlsx"});
    opener_.prompts = {Select("$B$2:$D$4")};
    rlimit saved;
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto* previous_handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = kFruitXml.size() / 2;
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    Run();
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous_handler);
    const QStringList reports = dialogs_.Texts("error");
    QCOMPARE(reports.size(), 1);
    QVERIFY(reports[0].contains(out_->filePath("Fruit.xml")));
    QVERIFY(reports[0].contains("File too large"));
    QVERIFY(reports[0].contains("PushButton8_Click at line 166"));
    QCOMPARE(Output("Fruit.xml"), QByteArray("earlier"));
    QCOMPARE(OutputFiles(), QStringList{"Fruit.xml"});
  }

  void UnopenableWorkbookAfterACancelStillEndsWithDone() {
    List({"/in/a/Fruit.xlsx", "/in/broken.xlsx"});
    opener_.prompts = {Cancel()};
    Run();
    QCOMPARE(dialogs_.Texts("message"),
             (QStringList{kCancelText,
                          "Done.\r\n0 of 2 workbooks exported; 1 skipped; 1 "
                          "failed (see the messages before this one)\r\n\r\n"
                          "Skipped:\r\n/in/a/Fruit.xlsx\r\n\r\n"
                          "Failed:\r\n/in/broken.xlsx"}));
  }

  void AnInputIsNeverOverwritten() {
    // A workbook named like an output file, in the output folder itself.
    QFile own(out_->filePath("report.xml"));
    QVERIFY(own.open(QIODevice::WriteOnly));
    own.write("a workbook");
    own.close();
    opener_.workbooks[own.fileName().toStdString()] = kTools;
    List({own.fileName(), "/in/README"});
    opener_.prompts = {Select("$A$1:$B$2")};
    Run();
    QCOMPARE(Output("report.xml"), QByteArray("a workbook"));
    const QStringList messages = dialogs_.Texts("message");
    QCOMPARE(messages.size(), 2);
    QVERIFY(messages[0].startsWith(own.fileName() + ": not converted: "));
    QVERIFY(messages[0].contains(QDir::cleanPath(own.fileName()) +
                                 " is the workbook itself"));
    QCOMPARE(messages[1], QStringLiteral("Done.\r\n1 of 2 workbooks "
                                         "exported; 1 failed (see the "
                                         "messages before this one)\r\n\r\n"
                                         "Failed:\r\n") +
                              own.fileName());
    QVERIFY(Events("open " + own.fileName().toStdString()).empty());
  }

  void SameOutputFileTwiceIsToldWithCleanPaths() {
    List({"/in/a/Fruit.xlsx", "/in/b/Fruit.xlsm"});
    opener_.prompts = {Select("$B$2:$D$4"), Select("$B$2:$C$3")};
    Run();
    const QStringList messages = dialogs_.Texts("message");
    QCOMPARE(messages.size(), 2);
    QVERIFY(messages[0].contains(out_->path() + "/Fruit.xml (the XML of "
                                                "/in/a/Fruit.xlsx was "
                                                "replaced by that of "
                                                "/in/b/Fruit.xlsm)"));
    QVERIFY(!messages[0].contains("//"));
    QCOMPARE(messages[1], QStringLiteral("Done."));
    QCOMPARE(Output("Fruit.xml"),
             QByteArray("<XML>\r\n\t<Fruit>Apple</Fruit>\r\n"
                        "\t<UnitPrice>1.5</UnitPrice>\r\n</XML>\r\n"));
  }

  void DuringTheRunTheListIsLockedAndOptionsFollow() {
    List({"/in/Tools.2021.q1.xls", "/in/README"});
    QList<bool> locked;
    int second_starts = 0;
    QSignalSpy progress(run_.get(), &ExportRun::ProgressChanged);
    opener_.prompts = {
        [&](const PromptContext&) {
          locked << list_->locked() << list_->Remove(0) << list_->Swap(0, 1);
          list_->Append("/in/a/Fruit.xlsx");  // waits for the next run
          run_->Start();                      // turned away
          ++second_starts;
          settings_->Set(texts::kSettingTitle, "First Title");
          return std::optional<std::string>("$A$1:$B$2");
        },
        [&](const PromptContext&) {
          settings_->Set(texts::kSettingTitle, "Second");
          settings_->Set(texts::kSettingEscapeText, "0");
          return std::optional<std::string>("$A$1:$B$2");
        }};
    Run();
    QCOMPARE(locked, (QList<bool>{true, false, false}));
    QCOMPARE(second_starts, 1);
    QCOMPARE(list_->Count(), 3);
    QCOMPARE(Events("open").size(), std::size_t{2});
    QCOMPARE(Events("options").size(), std::size_t{3});  // seen by the prompt
    QCOMPARE(
        Output("Tools.2021.q1.xml"),
        QByteArray("<FirstTitle>\r\n\t<Tool>Saw &amp; &lt;Axe&gt;</Tool>\r\n"
                   "\t<Count>3</Count>\r\n</FirstTitle>\r\n"));
    QCOMPARE(Output("README.xml"),
             QByteArray("<Second>\r\n\t<Tool>Saw & <Axe></Tool>\r\n"
                        "\t<Count>3</Count>\r\n</Second>\r\n"));
    QCOMPARE(progress.size(), 3);
    QCOMPARE(progress[0],
             (QList<QVariant>{50, "Processing: Tools.2021.q1.xls"}));
    QCOMPARE(progress[1], (QList<QVariant>{100, "Processing: README"}));
    QCOMPARE(progress[2], (QList<QVariant>{0, "Progress Bar"}));
  }

  // The records layout with its schema: the prompt's preview and the file
  // name the schema written beside the XML.
  void RecordsWriteTheirSchemaBesideEachFile() {
    settings_->SetHeaderMode(ExportSettings::HeaderMode::kRecords);
    settings_->Set(texts::kSettingTitle, "Tools");
    settings_->Set(texts::kSettingRecordTag, "Tool");
    settings_->Set(texts::kSettingWriteSchema, "1");
    List({"/in/Tools.2021.q1.xls"});
    std::string previewed;
    opener_.prompts = {[&](const PromptContext& context) {
      previewed = context.options.schema_name;
      return std::optional<std::string>("$A$1:$B$2");
    }};
    Run();
    QCOMPARE(previewed, std::string("Tools.2021.q1.xsd"));
    QCOMPARE(OutputFiles(),
             (QStringList{"Tools.2021.q1.xml", "Tools.2021.q1.xsd"}));
    QCOMPARE(Output("Tools.2021.q1.xml"),
             QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                        "<Tools xmlns:xsi=\"http://www.w3.org/2001/"
                        "XMLSchema-instance\" xsi:noNamespaceSchemaLocation="
                        "\"Tools.2021.q1.xsd\">\r\n"
                        "\t<Tool>\r\n"
                        "\t\t<Tool>Saw &amp; &lt;Axe&gt;</Tool>\r\n"
                        "\t\t<Count>3</Count>\r\n"
                        "\t</Tool>\r\n"
                        "</Tools>\r\n"));
    QVERIFY(Output("Tools.2021.q1.xsd")
                .contains("<xs:element name=\"Count\" type=\"xs:string\"/>"));
  }

  void DestroyingTheRunAtAPromptEndsItSilently() {
    List({"/in/a/Fruit.xlsx", "/in/README"});
    opener_.prompts = {[&](const PromptContext&) {
      run_.reset();
      return std::optional<std::string>("$B$2:$D$4");
    }};
    run_->Start();
    QTRY_VERIFY(!run_);
    QVERIFY(testing::FlushEvents());
    QCOMPARE(dialogs_.Kinds(), QStringList());
    QCOMPARE(opener_.open_sessions, 0);
    QVERIFY(!list_->locked());
    QCOMPARE(OutputFiles(), QStringList());
  }
};

QTEST_MAIN(ExportRunTest)
#include "export_run_test.moc"
