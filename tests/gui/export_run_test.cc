// The export run driven through the main window with an in-memory
// spreadsheet component and a scripted range prompt: preconditions, cancels,
// failures of single workbooks, re-entry, and the files byte for byte.

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "gui/filelist/file_list_view.h"
#include "gui/shell/form1.h"
#include "gui/shell/program_folder.h"
#include "gui_fakes.h"

using namespace kestrilo;
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
  FakeAutomation automation_;
  ScriptedDialogs dialogs_;
  std::unique_ptr<Form1> form_;

  QLineEdit* Text(const char* name) {
    return form_->findChild<QLineEdit*>(QString::fromLatin1(name));
  }
  void List(const QStringList& paths) {
    for (const QString& path : paths) form_->list().Append(path);
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
    form_->PushButton8_Click();
    QVERIFY(!form_->is_exporting());
    QCOMPARE(automation_.open_instances, 0);
  }
  void ExpectIdleWindow() {
    QCOMPARE(form_->progress_value(), 0);
    QCOMPARE(form_->progress_text(), QStringLiteral("Progress Bar"));
    QCOMPARE(form_->pointer(), Form1::Pointer::kDefault);
  }

 private slots:
  void initTestCase() {
    UseTestSettings();
    SetProgramFolderForTesting(QDir::tempPath());
  }
  void init() {
    ClearSettings();
    out_ = std::make_unique<QTemporaryDir>();
    automation_ = FakeAutomation();
    automation_.workbooks = {{"/in/a/Fruit.xlsx", kFruit},
                             {"/in/b/Fruit.xlsm", kFruit},
                             {"/in/Tools.2021.q1.xls", kTools},
                             {"/in/README", kTools}};
    dialogs_ = ScriptedDialogs();
    form_ = std::make_unique<Form1>(automation_, dialogs_);
    form_->Form_Load();
    // A trailing separator, as the folder chooser leaves it: the doubled
    // separator of the output path is harmless.
    Text("Text1")->setText(out_->path() + QDir::separator());
  }
  void cleanup() { form_.reset(); }

  void EmptyListSaysSoAndNothingElse() {
    Run();
    QCOMPARE(dialogs_.Texts("message"), QStringList{"No files added."});
    QCOMPARE(dialogs_.Kinds(), QStringList{"message"});
    Run();  // a following run is possible at once
    QCOMPARE(dialogs_.Kinds().size(), 2);
    QVERIFY(automation_.events.empty());
  }

  void OutputFolderMustExist() {
    List({"/in/a/Fruit.xlsx"});
    QFile file(out_->filePath("plain.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    for (const QString& folder :
         {QString(), out_->filePath("missing"), file.fileName()}) {
      Text("Text1")->setText(folder);
      Run();
    }
    QCOMPARE(
        dialogs_.Texts("message"),
        QStringList(3, "Folder does not exist. Please select another folder."));
    QCOMPARE(dialogs_.Kinds().size(), 3);
    QVERIFY(automation_.events.empty());
  }

  void AnswerNoToTheRunningInstanceQuestionStopsSilently() {
    List({"/in/a/Fruit.xlsx", "/in/Tools.2021.q1.xls"});
    automation_.running = true;
    dialogs_.answers = {false};
    Run();
    QCOMPARE(dialogs_.Kinds(), QStringList{"question"});
    QVERIFY(dialogs_.Texts("question")[0].startsWith("Excel may be open."));
    QVERIFY(automation_.events.empty());
  }

  void AnswerYesAsksOnceForTheWholeRun() {
    List({"/in/a/Fruit.xlsx", "/in/Tools.2021.q1.xls"});
    automation_.running = true;
    dialogs_.answers = {true};
    automation_.prompts = {Select("$B$2:$D$4"), Select("$A$1:$B$2")};
    Run();
    QCOMPARE(dialogs_.Kinds(), (QStringList{"question", "message"}));
    QCOMPARE(dialogs_.Texts("message"), QStringList{"Done."});
  }

  void EveryWorkbookBecomesItsFileByteForByte() {
    List({"/in/a/Fruit.xlsx", "/in/Tools.2021.q1.xls", "/in/README"});
    automation_.prompts = {Select("$B$2:$D$4"), Select("$A$1:$B$2"),
                           Select("A1:B2")};
    Run();
    QCOMPARE(dialogs_.Kinds(), QStringList{"message"});
    QCOMPARE(dialogs_.Texts("message"), QStringList{"Done."});
    QCOMPARE(OutputFiles(),
             (QStringList{"Fruit.xml", "README.xml", "Tools.2021.q1.xml"}));
    QCOMPARE(Output("Fruit.xml"), kFruitXml);
    QCOMPARE(Output("Tools.2021.q1.xml"), kToolsXml);
    QCOMPARE(Output("README.xml"), kToolsXml);
    const std::vector<std::string> expected = {"open /in/a/Fruit.xlsx",
                                               "show /in/a/Fruit.xlsx",
                                               "prompt /in/a/Fruit.xlsx",
                                               "quit /in/a/Fruit.xlsx",
                                               "open /in/Tools.2021.q1.xls",
                                               "show /in/Tools.2021.q1.xls",
                                               "prompt /in/Tools.2021.q1.xls",
                                               "quit /in/Tools.2021.q1.xls",
                                               "open /in/README",
                                               "show /in/README",
                                               "prompt /in/README",
                                               "quit /in/README"};
    QCOMPARE(automation_.events, expected);
    ExpectIdleWindow();
  }

  void CancelledPrompts_data() {
    QTest::addColumn<int>("cancelled");
    QTest::addColumn<bool>("done");
    QTest::newRow("first") << 1 << true;
    QTest::newRow("middle") << 2 << true;
    QTest::newRow("last") << 3 << false;
  }
  void CancelledPrompts() {
    QFETCH(int, cancelled);
    QFETCH(bool, done);
    List({"/in/a/Fruit.xlsx", "/in/Tools.2021.q1.xls", "/in/README"});
    for (int i = 1; i <= 3; ++i) {
      automation_.prompts.push_back(i == cancelled ? Cancel()
                                                   : Select("$A$1:$B$2"));
    }
    Run();
    QStringList expected{kCancelText};
    if (done) expected << "Done.";
    QCOMPARE(dialogs_.Texts("message"), expected);
    QCOMPARE(dialogs_.Kinds().size(), expected.size());
    const QStringList names = {"Fruit.xml", "Tools.2021.q1.xml", "README.xml"};
    for (int i = 1; i <= 3; ++i) {
      QCOMPARE(QFile::exists(out_->filePath(names[i - 1])), i != cancelled);
    }
    // Every instance was quit, the cancelled one as well.
    QCOMPARE(std::count_if(
                 automation_.events.begin(), automation_.events.end(),
                 [](const std::string& e) { return e.starts_with("quit"); }),
             3);
    ExpectIdleWindow();
  }

  void SingleCancelledWorkbookEndsWithoutDone() {
    List({"/in/a/Fruit.xlsx"});
    automation_.prompts = {Cancel()};
    Run();
    QCOMPARE(dialogs_.Texts("message"), QStringList{kCancelText});
    QCOMPARE(OutputFiles(), QStringList());
    ExpectIdleWindow();
  }

  void UnreadableWorkbookIsReportedOnceAndTheRunGoesOn() {
    List({"/in/a/Fruit.xlsx", "/in/broken.xlsx", "/in/Tools.2021.q1.xls"});
    automation_.prompts = {Select("$B$2:$D$4"), Select("$A$1:$B$2")};
    Run();
    const QStringList reports = dialogs_.Texts("error");
    QCOMPARE(reports.size(), 1);
    QVERIFY(reports[0].startsWith(
        "/in/broken.xlsx: the file is not a workbook we can read\r\n"
        "in Kestrix2021/08/31.Form1.PushButton8_Click at line 150\r\r"));
    QCOMPARE(dialogs_.Kinds(), (QStringList{"error", "message"}));
    QCOMPARE(dialogs_.Texts("message"), QStringList{"Done."});
    QCOMPARE(OutputFiles(), (QStringList{"Fruit.xml", "Tools.2021.q1.xml"}));
    QCOMPARE(Output("Tools.2021.q1.xml"), kToolsXml);
  }

  void FailedConversionWritesNothingAndKeepsAnEarlierFile() {
    QFile earlier(out_->filePath("Tools.2021.q1.xml"));
    QVERIFY(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier run");
    earlier.close();
    List({"/in/a/Fruit.xlsx", "/in/Tools.2021.q1.xls"});
    automation_.prompts = {Select("$B$2:$D$4"), Select("not an address")};
    Run();
    const QStringList reports = dialogs_.Texts("error");
    QCOMPARE(reports.size(), 1);
    QVERIFY(reports[0].startsWith("/in/Tools.2021.q1.xls: "));
    QVERIFY(reports[0].contains("PushButton8_Click at line 164\r\r"));
    QCOMPARE(Output("Tools.2021.q1.xml"), QByteArray("earlier run"));
    QCOMPARE(Output("Fruit.xml"), kFruitXml);
    QCOMPARE(dialogs_.Texts("message"), QStringList{"Done."});
  }

  void FailedWriteIsReportedAndTheInstanceStillQuits() {
    QVERIFY(QDir(out_->path()).mkdir("Fruit.xml"));  // a folder in the way
    List({"/in/a/Fruit.xlsx", "/in/Tools.2021.q1.xls"});
    automation_.prompts = {Select("$B$2:$D$4"), Select("$A$1:$B$2")};
    Run();
    const QStringList reports = dialogs_.Texts("error");
    QCOMPARE(reports.size(), 1);
    QVERIFY(reports[0].contains("PushButton8_Click at line 166\r\r"));
    QCOMPARE(automation_.events[3], std::string("quit /in/a/Fruit.xlsx"));
    QCOMPARE(Output("Tools.2021.q1.xml"), kToolsXml);
    QCOMPARE(dialogs_.Texts("message"), QStringList{"Done."});
  }

  void SameOutputFileTwiceIsToldBeforeDone() {
    List({"/in/a/Fruit.xlsx", "/in/b/Fruit.xlsm"});
    automation_.prompts = {Select("$B$2:$D$4"), Select("$B$2:$C$3")};
    Run();
    const QStringList messages = dialogs_.Texts("message");
    QCOMPARE(messages.size(), 2);
    QVERIFY(messages[0].contains(out_->path()));
    QVERIFY(messages[0].contains("Fruit.xml"));
    QVERIFY(messages[0].contains("/in/a/Fruit.xlsx"));
    QVERIFY(messages[0].contains("/in/b/Fruit.xlsm"));
    QCOMPARE(messages[1], QStringLiteral("Done."));
    QCOMPARE(Output("Fruit.xml"),
             QByteArray("<XML>\r\n\t<Fruit>Apple</Fruit>\r\n"
                        "\t<UnitPrice>1.5</UnitPrice>\r\n</XML>\r\n"));
  }

  void SecondStartDuringARunIsTurnedAway() {
    List({"/in/a/Fruit.xlsx", "/in/Tools.2021.q1.xls"});
    bool was_exporting = false;
    automation_.prompts = {[&](FakeInstance&) {
                             was_exporting = form_->is_exporting();
                             form_->PushButton8_Click();
                             return std::optional<std::string>("$B$2:$D$4");
                           },
                           Select("$A$1:$B$2")};
    Run();
    QVERIFY(was_exporting);
    QCOMPARE(automation_.events.size(), std::size_t{8});
    QCOMPARE(dialogs_.Texts("message"), QStringList{"Done."});
  }

  void ProgressAndPointerDuringTheRun() {
    List({"/in/a/Fruit.xlsx", "/in/Tools.2021.q1.xls"});
    QList<int> values;
    QStringList texts;
    QList<Form1::Pointer> pointers;
    const auto watch = [&](FakeInstance&) {
      values << form_->progress_value();
      texts << form_->progress_text();
      pointers << form_->pointer();
      return std::optional<std::string>("$A$1:$B$2");
    };
    automation_.prompts = {watch, watch};
    Run();
    QCOMPARE(values, (QList<int>{50, 100}));
    QCOMPARE(texts, (QStringList{"Processing: Fruit.xlsx",
                                 "Processing: Tools.2021.q1.xls"}));
    QCOMPARE(pointers, QList<Form1::Pointer>(2, Form1::Pointer::kHourglass));
    ExpectIdleWindow();
  }

  void OptionsAreReadForEachWorkbookWhenItIsConverted() {
    List({"/in/Tools.2021.q1.xls", "/in/README"});
    automation_.prompts = {
        [&](FakeInstance&) {
          Text("Text2")->setText("First Title");
          return std::optional<std::string>("$A$1:$B$2");
        },
        [&](FakeInstance&) {
          Text("Text2")->setText("Second");
          form_->findChild<QAbstractButton*>("CheckEscape")->setChecked(false);
          return std::optional<std::string>("$A$1:$B$2");
        }};
    Run();
    QCOMPARE(
        Output("Tools.2021.q1.xml"),
        QByteArray("<FirstTitle>\r\n\t<Tool>Saw &amp; &lt;Axe&gt;</Tool>\r\n"
                   "\t<Count>3</Count>\r\n</FirstTitle>\r\n"));
    QCOMPARE(Output("README.xml"),
             QByteArray("<Second>\r\n\t<Tool>Saw & <Axe></Tool>\r\n"
                        "\t<Count>3</Count>\r\n</Second>\r\n"));
  }

  void ClosingTheWindowAtAPromptEndsTheRunSilently() {
    List({"/in/a/Fruit.xlsx", "/in/README"});
    automation_.prompts = {[&](FakeInstance&) {
      form_->close();
      return std::optional<std::string>();
    }};
    Run();
    QCOMPARE(dialogs_.Kinds(), QStringList());
    const std::vector<std::string> expected = {
        "open /in/a/Fruit.xlsx", "show /in/a/Fruit.xlsx",
        "prompt /in/a/Fruit.xlsx", "quit /in/a/Fruit.xlsx"};
    QCOMPARE(automation_.events, expected);
    QCOMPARE(OutputFiles(), QStringList());
  }

  void EntriesAddedDuringTheRunWaitForTheNextOne() {
    List({"/in/a/Fruit.xlsx"});
    automation_.prompts = {[&](FakeInstance&) {
      form_->list().Append("/in/README");
      return std::optional<std::string>("$B$2:$D$4");
    }};
    Run();
    QCOMPARE(OutputFiles(), QStringList{"Fruit.xml"});
    QCOMPARE(automation_.events.size(), std::size_t{4});
  }

  void EntryRemovedDuringTheRunIsReportedAndSkipped() {
    List({"/in/a/Fruit.xlsx", "/in/README"});
    automation_.prompts = {[&](FakeInstance&) {
      form_->list().Remove(2);
      return std::optional<std::string>("$B$2:$D$4");
    }};
    Run();
    const QStringList reports = dialogs_.Texts("error");
    QCOMPARE(reports.size(), 1);
    QVERIFY(reports[0].contains("PushButton8_Click at line 122\r\r"));
    QCOMPARE(automation_.events.size(), std::size_t{4});
    QCOMPARE(OutputFiles(), QStringList{"Fruit.xml"});
  }
};

QTEST_MAIN(ExportRunTest)
#include "export_run_test.moc"
