// SPDX-License-Identifier: MIT
// The commands that fill and empty the list: add files, add a folder tree,
// clear, drops and the samples, with scripted dialogs.

#include "gui/filelist/file_list_commands.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QScopeGuard>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/folder_scan/folder_scan_order.h"
#include "filelist_test_support.h"
#include "gui/common/data_folder.h"
#include "gui/common/path_text.h"
#include "gui/common/settings_store.h"
#include "gui/filelist/file_list_model.h"
#include "gui/filelist/file_list_view.h"
#include "gui/run/export_run.h"
#include "gui/run/export_settings.h"
#include "gui_fakes.h"

namespace kestrilo::gui {
namespace {

QStringList Entries(const FileListView& list) { return list.list().texts(); }

// The subfolder names of a folder in the order the scan takes them.
QStringList ListingOrder(const QString& folder) {
  std::vector<std::string> names;
  for (const auto& entry :
       std::filesystem::directory_iterator(folder.toStdString())) {
    if (entry.is_directory()) names.push_back(entry.path().filename());
  }
  std::sort(names.begin(), names.end(), NaturalNameLess);
  QStringList texts;
  for (const std::string& name : names) texts << QString::fromStdString(name);
  return texts;
}

std::vector<std::string> Bytes(const QStringList& paths) {
  std::vector<std::string> bytes;
  for (const QString& path : paths) bytes.push_back(PathBytes(path));
  return bytes;
}

std::string Contents(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream contents;
  contents << file.rdbuf();
  return contents.str();
}

// Sends a drop of `data` onto the list as a file manager would.
void Drop(FileListView& list, QMimeData& data) {
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton,
                        Qt::NoModifier);
  QApplication::sendEvent(list.viewport(), &enter);
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton,
                  Qt::NoModifier);
  QApplication::sendEvent(list.viewport(), &drop);
}

const QString kLeftOut = "Left out of the list:\r\n\r\n";
const QString kLockReason =
    ": its name begins with \"~\" (the lock file of an open workbook)";

const QString kExtensionPrompt =
    "Enter file extension to load:\r\r(* for all files, txt for all txt "
    "files, doc for all doc files, etc.)";

}  // namespace

class FileListCommandsTest : public QObject {
  Q_OBJECT

 private slots:
  // Settings in a folder of this program's own: Qt's test mode alone would
  // share one file with the other test programs that ctest runs alongside.
  void initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       settings_folder_.path());
  }

  void init() {
    QSettings("Velmora", "Kestrilo").clear();
    dialogs_ = std::make_unique<testing::ScriptedDialogs>();
    model_ = std::make_unique<FileListModel>();
    list_ = std::make_unique<FileListView>(*model_);
    busy_ = false;
    busy_marks_.clear();
    commands_ = std::make_unique<FileListCommands>(*model_, *dialogs_,
                                                   [this](bool busy) {
                                                     busy_ = busy;
                                                     busy_marks_ << busy;
                                                   });
    // The main window hands drops to the commands the same way.
    connect(list_.get(), &FileListView::FilesDropped, this,
            [this](const std::vector<std::string>& paths) {
              commands_->AddDropped(paths);
            });
  }

  void cleanup() {
    commands_.reset();
    list_.reset();
    model_.reset();
    QVERIFY2(dialogs_->Texts("error").isEmpty() || expect_reports_,
             qPrintable(dialogs_->Texts("error").join("\n")));
    expect_reports_ = false;
  }

  // "Add Excel Files"

  void addFilesAsksWithTheTitleAndFilters() {
    commands_->AddFiles();
    QCOMPARE(dialogs_->Texts("files"),
             QStringList{"Add File(s) - Hold Ctrl to select multiple files"});
    QCOMPARE(dialogs_->file_filters.first(), QString("Excel Files (*.xl*)"));
    QVERIFY(dialogs_->file_filters.join(";").contains("*.ods"));
    QVERIFY(dialogs_->file_filters.join(";").contains("*.csv"));
    QCOMPARE(dialogs_->file_filters.last(), QString("All Files (*)"));
    // Cancelled: nothing added, nothing said.
    QCOMPARE(model_->Count(), 0);
    QVERIFY(dialogs_->Texts("message").isEmpty());
  }

  void addFilesOneFileStaysAsChosen() {
    dialogs_->file_lists = {{"/data//a.xlsx"}};
    commands_->AddFiles();
    QCOMPARE(Entries(*list_), QStringList{"/data//a.xlsx"});
  }

  void addFilesSeveralInTheDialogsOrderAgainAndAgain() {
    const QStringList chosen{"/data/c.xlsx", "/data/a.xlsx", "/data/b.ods"};
    dialogs_->file_lists = {chosen, chosen};
    commands_->AddFiles();
    QCOMPARE(Entries(*list_), chosen);
    commands_->AddFiles();
    QCOMPARE(Entries(*list_), chosen + chosen);
  }

  void addFilesFromTheRootFolder() {
    dialogs_->file_lists = {{"/a.xlsx", "/b.xlsx", "/c.xlsx"}};
    commands_->AddFiles();
    QCOMPARE(Entries(*list_), QStringList({"/a.xlsx", "/b.xlsx", "/c.xlsx"}));
  }

  void addFilesTakesAnySelectionButOneThatCannotBeRead() {
    // 600 names of 76 characters: far more than a fixed dialog buffer held.
    QStringList many;
    for (int i = 0; i < 600; ++i) {
      many << QString("/data/%1.xlsx").arg(i, 70, 10, QChar('0'));
    }
    QStringList unreadable = many.mid(0, 3);
    unreadable[1].clear();  // a file the dialog could not name locally
    dialogs_->file_lists = {many, unreadable, {""}};
    commands_->AddFiles();
    QCOMPARE(Entries(*list_), many);
    QVERIFY(dialogs_->Texts("message").isEmpty());
    commands_->AddFiles();
    commands_->AddFiles();
    QCOMPARE(model_->Count(), 600);
    const QString refused =
        "You've selected too many files to add.\r\rPlease try adding via the "
        "\"Add All\" button.";
    QCOMPARE(dialogs_->Texts("message"), QStringList({refused, refused}));
  }

  // "Add All Excel Files In Folder"

  void addFolderAddsBreadthFirstWithTheSkipRules() {
    TempTree tree;
    const QString r = tree.Folder("R");
    tree.File("R/r.xlsx");
    tree.File("R/~$r.xlsx");
    tree.File("R/notes.txt");
    tree.File("R/A/a.xls");
    tree.File("R/A/A1/a1.xlsm");
    tree.File("R/B/~lock.xlsx");
    tree.File("R/B/b.XLSX");
    tree.File("R/B/B1/b1.xlsx");
    tree.File("R/.hidden/h.xlsx");
    tree.File("R/.dotfile.xlsx");
    dialogs_->inputs = {QString("xl*")};
    dialogs_->folders = {r};
    commands_->AddFolder();

    QCOMPARE(dialogs_->Texts("input"), QStringList{kExtensionPrompt});
    QCOMPARE(dialogs_->input_defaults, QStringList{"xl*"});
    QCOMPARE(dialogs_->Texts("folder"), QStringList{"Please select folder:"});
    QCOMPARE(dialogs_->start_folders, QStringList{""});
    const QHash<QString, QString> own{{"A", r + "/A/a.xls"},
                                      {"B", r + "/B/b.XLSX"},
                                      {".hidden", r + "/.hidden/h.xlsx"}};
    QStringList expected{r + "/r.xlsx"};
    for (const QString& name : ListingOrder(r)) expected << own[name];
    for (const QString& name : ListingOrder(r)) {
      if (name == "A") expected << r + "/A/A1/a1.xlsm";
      if (name == "B") expected << r + "/B/B1/b1.xlsx";
    }
    QCOMPARE(Entries(*list_), expected);
    QCOMPARE(busy_marks_, QList<bool>({true, false}));
    // What was left out is told once, at the end of the scan.
    const QString left_out =
        kLeftOut + r + "/.dotfile.xlsx: a hidden file\r\n" + r + "/~$r.xlsx" +
        kLockReason + "\r\n" + r + "/B/~lock.xlsx" + kLockReason;
    QCOMPARE(dialogs_->Texts("message"), QStringList{left_out});
    QCOMPARE(SettingsStore::Read(SettingsStore::Key::kLastScanFolder, "?"), r);
    QCOMPARE(SettingsStore::Read(SettingsStore::Key::kScanExtension, "?"),
             QString("xl*"));

    // The next press offers the last folder; the same files come again.
    dialogs_->inputs = {QString("xl*")};
    dialogs_->folders = {r};
    commands_->AddFolder();
    QCOMPARE(dialogs_->start_folders.last(), r);
    QCOMPARE(Entries(*list_), expected + expected);
    QCOMPARE(dialogs_->Texts("message"), QStringList({left_out, left_out}));
  }

  void addFolderExtensionAnswers() {
    TempTree tree;
    const QString r = tree.Folder("R");
    tree.File("R/a.txt");
    tree.File("R/README");
    tree.File("R/sub/B.TXT");
    dialogs_->inputs = {QString("txt")};
    dialogs_->folders = {r};
    commands_->AddFolder();
    QCOMPARE(Entries(*list_), QStringList({r + "/a.txt", r + "/sub/B.TXT"}));

    model_->Clear();
    dialogs_->inputs = {QString("*")};
    dialogs_->folders = {r};
    commands_->AddFolder();
    QStringList all = Entries(*list_);
    all.sort();
    QCOMPARE(all, QStringList({r + "/README", r + "/a.txt", r + "/sub/B.TXT"}));
    QCOMPARE(dialogs_->input_defaults.last(), QString("txt"));
    QCOMPARE(SettingsStore::Read(SettingsStore::Key::kScanExtension, "?"),
             QString("*"));
  }

  void addFolderCancelAtTheExtensionPrompt() {
    SettingsStore::Write(SettingsStore::Key::kScanExtension, "csv");
    dialogs_->inputs = {std::nullopt, QString("")};
    commands_->AddFolder();
    commands_->AddFolder();
    QCOMPARE(dialogs_->input_defaults, QStringList({"csv", "csv"}));
    QVERIFY(dialogs_->Texts("folder").isEmpty());
    QCOMPARE(SettingsStore::Read(SettingsStore::Key::kScanExtension, "?"),
             QString("csv"));
    QVERIFY(busy_marks_.isEmpty());
  }

  void addFolderCancelAtTheFolderDialog() {
    SettingsStore::Write(SettingsStore::Key::kLastScanFolder, "/somewhere");
    dialogs_->inputs = {QString("ods")};
    dialogs_->folders = {QString()};
    commands_->AddFolder();
    QCOMPARE(dialogs_->start_folders, QStringList{"/somewhere"});
    QCOMPARE(SettingsStore::Read(SettingsStore::Key::kLastScanFolder, "?"),
             QString("/somewhere"));
    QCOMPARE(SettingsStore::Read(SettingsStore::Key::kScanExtension, "?"),
             QString("ods"));
    QCOMPARE(model_->Count(), 0);
    QVERIFY(busy_marks_.isEmpty());
  }

  void theListCannotBeEmptiedDuringAScan() {
    TempTree tree;
    const QString r = tree.Folder("R");
    tree.File("R/x/1.xlsx");
    model_->Append("earlier");
    list_->Select(0);
    int yields = 0;
    commands_->SetYield([&] {
      ++yields;
      QVERIFY(busy_);
      QVERIFY(model_->locked());
      commands_->ClearList();
      QTest::keyClick(list_.get(), Qt::Key_Delete);
    });
    dialogs_->inputs = {QString("xl*")};
    dialogs_->folders = {r};
    commands_->AddFolder();
    QVERIFY(yields > 0);
    QCOMPARE(Entries(*list_), QStringList({"earlier", r + "/x/1.xlsx"}));
    QVERIFY(!busy_);
  }

  void unreadableFoldersAddNothing() {
    TempTree tree;
    const QString r = tree.Folder("R");
    tree.File("R/open/1.xlsx");
    tree.File("R/locked/2.xlsx");
    tree.File("R/locked/below/3.xlsx");
    tree.Lock("R/locked");
    WithoutReadOverride no_override;
    if (!no_override.active()) QSKIP("cannot drop CAP_DAC_OVERRIDE");
    dialogs_->inputs = {QString("xl*"), QString("xl*")};
    dialogs_->folders = {r, r + "/locked"};
    commands_->AddFolder();
    QCOMPARE(Entries(*list_), QStringList{r + "/open/1.xlsx"});
    commands_->AddFolder();
    QCOMPARE(Entries(*list_), QStringList{r + "/open/1.xlsx"});
    QCOMPARE(busy_marks_, QList<bool>({true, false, true, false}));
  }

  void aFolderThatFailsToListIsReportedAndTheScanGoesOn() {
    TempTree tree;
    const QString r = tree.Folder("R");
    tree.File("R/top.xlsx");
    tree.File("R/sub/inner.xlsx");
    WithoutReadOverride no_override;
    if (!no_override.active()) QSKIP("cannot drop CAP_DAC_OVERRIDE");
    // Yields: before R is read, before its subfolder, before the subfolder
    // is read, before it is taken over. Locking it at the last one leaves
    // the tree complete and the subfolder's listing failing.
    int yields = 0;
    commands_->SetYield([&] {
      if (++yields == 4) tree.Lock("R/sub");
    });
    dialogs_->inputs = {QString("xl*")};
    dialogs_->folders = {r};
    commands_->AddFolder();
    QCOMPARE(Entries(*list_), QStringList{r + "/top.xlsx"});
    QCOMPARE(dialogs_->Texts("error").size(), 1);
    const QString report = dialogs_->Texts("error").first();
    QVERIFY2(report.contains(r + "/sub"), qPrintable(report));
    QVERIFY(report.contains(
        "\r\nin Kestrix2021/08/31.Form1.PushButton5_Click at line 124"));
    QVERIFY(!busy_);
    QVERIFY(!model_->locked());
    expect_reports_ = true;
  }

  void aFolderGoneBeforeItIsReadAddsNothing() {
    TempTree tree;
    const QString r = tree.Folder("R");
    tree.File("R/a.xlsx");
    commands_->SetYield([&] { QDir(r).removeRecursively(); });
    dialogs_->inputs = {QString("xl*")};
    dialogs_->folders = {r};
    commands_->AddFolder();
    QCOMPARE(model_->Count(), 0);
    QCOMPARE(busy_marks_, QList<bool>({true, false}));
  }

  // "Clear List"

  void clearEmptiesTheListUnlessLocked() {
    commands_->ClearList();  // empty list: fine
    model_->Append("a");
    model_->Append("b");
    model_->Lock();
    commands_->ClearList();
    QCOMPARE(model_->Count(), 2);
    model_->Unlock();
    commands_->ClearList();
    QCOMPARE(model_->Count(), 0);
  }

  // Drops

  void droppedFilesStayAsTheyAreFoldersBringEveryFile() {
    TempTree tree;
    const QString a = tree.Folder("A");
    const QString b = tree.Folder(".B");
    tree.File("A/one.csv");
    tree.File("A/~lock.xlsx");
    tree.File("A/.writable-dot");
    tree.File("A/deeper/two.doc");
    tree.File(".B/three.ods");
    const QString loose = tree.File("loose.txt");
    const QString book = tree.File("book.xlsx");
    commands_->AddDropped(
        Bytes({book, a, tree.root() + "/gone.xlsx", b, loose, a}));
    const QStringList a_files{a + "/one.csv", a + "/deeper/two.doc"};
    const QStringList expected = QStringList{book} + a_files +
                                 QStringList{b + "/three.ods", loose} + a_files;
    QCOMPARE(Entries(*list_), expected);
    QVERIFY(busy_marks_.isEmpty());
    // One message for the whole drop.
    const QString a_left_out = a + "/.writable-dot: a hidden file\r\n" + a +
                               "/~lock.xlsx" + kLockReason;
    QCOMPARE(dialogs_->Texts("message"),
             QStringList{kLeftOut + a_left_out + "\r\n" + a_left_out});
  }

  void aLongListOfLeftOutFilesEndsWithHowManyMore() {
    TempTree tree;
    const QString a = tree.Folder("A");
    for (int i = 1; i <= 23; ++i) tree.File(QString("A/~%1.xlsx").arg(i));
    commands_->AddDropped(Bytes({a}));
    QCOMPARE(model_->Count(), 0);
    QCOMPARE(dialogs_->Texts("message").size(), 1);
    const QStringList lines = dialogs_->Texts("message").first().split("\r\n");
    QCOMPARE(lines.size(), 2 + 20 + 1);
    QCOMPARE(lines[2], a + "/~1.xlsx" + kLockReason);
    QCOMPARE(lines.last(), QString("and 3 more"));
  }

  void commandLineArgumentsAreAddedAsADropWould() {
    TempTree tree;
    tree.File("A/one.csv");
    const QString book = tree.File("book.xlsx");
    const QString before = QDir::currentPath();
    QDir::setCurrent(tree.root());
    commands_->AddArguments(
        {"A", QUrl::fromLocalFile(book).toString().toStdString(), "gone.xlsx"});
    QDir::setCurrent(before);
    QCOMPARE(Entries(*list_), QStringList({tree.root() + "/A/one.csv", book}));
  }

  void aDropEventOnTheListAppends() {
    TempTree tree;
    const QString a = tree.Folder("A");
    tree.File("A/one.csv");
    const QString book = tree.File("book.xlsx");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(book), QUrl::fromLocalFile(a)});
    Drop(*list_, data);
    QTRY_COMPARE(model_->Count(), 2);
    QCOMPARE(Entries(*list_), QStringList({book, a + "/one.csv"}));
    // Nothing left out, nothing said.
    QVERIFY(dialogs_->Texts("message").isEmpty());
  }

  // A name that is not UTF-8 shows with a replacement character, and the
  // run still opens the file and names its output by the name's bytes.
  void aLatin1NameIsScannedDroppedAndExportedByItsBytes() {
    TempTree tree;
    const QString r = tree.Folder("R");
    // "Bücher.csv" in Latin-1.
    const std::string book = PathBytes(r) + "/B\374cher.csv";
    QTemporaryDir out;
    const std::string output = PathBytes(out.path()) + "/B\374cher.xml";
    // QTemporaryDir cannot remove a name it cannot spell.
    const auto remove = qScopeGuard([&] {
      std::filesystem::remove(book);
      std::filesystem::remove(output);
    });
    std::ofstream(book) << "x";
    dialogs_->inputs = {QString("csv")};
    dialogs_->folders = {r};
    commands_->AddFolder();
    QMimeData data;  // as a file manager sends it: the byte percent-encoded
    data.setData("text/uri-list",
                 "file://" +
                     QByteArray::fromStdString(book).toPercentEncoding("/") +
                     "\r\n");
    Drop(*list_, data);
    QTRY_COMPARE(model_->Count(), 2);
    QCOMPARE(Entries(*list_), QStringList(2, r + "/B\uFFFDcher.csv"));
    QCOMPARE(model_->paths(), std::vector<std::string>(2, book));

    testing::FakeOpener opener;
    opener.workbooks = {{book,
                         {{"Fruit", "Unit Price", "Qty"},
                          {"Apple", "1.5", "10"},
                          {"Green Pear", "2", "7"}}}};
    opener.prompts = {testing::Select("$A$1:$C$3"),
                      testing::Select("$A$1:$C$3")};
    ExportSettings settings;
    settings.SetOutputFolder(out.path());
    ExportRun run(opener, *dialogs_, *model_, settings);
    QSignalSpy finished(&run, &ExportRun::Finished);
    run.Start();
    QVERIFY(finished.wait(60000));
    QCOMPARE(Contents(output),
             Contents(KESTRILO_FIXTURES_DIR "/cli/expected/fruit.xml"));
  }

  // "Load Sample/Example Files"

  void samplesAreAddedOnceAndTheFolderOffered() {
    TempTree program;
    program.File("Samples/fruit.xlsx");
    program.File("Samples/people.csv");
    SetDataFolderForTesting(program.root());
    const QString samples = program.root() + "/Samples/";
    const QStringList expected{samples + "fruit.xlsx", samples + "people.csv"};
    model_->Append("mine.xlsx");
    model_->Append(samples + "FRUIT.xlsx");
    dialogs_->answers = {true};
    commands_->LoadSamples();
    QCOMPARE(Entries(*list_),
             QStringList({"mine.xlsx", samples + "FRUIT.xlsx"}) + expected);
    const QString question =
        "Would you like this software to open the folder where these sample "
        "files are stored (so that you can view them before working with "
        "them)?";
    QCOMPARE(dialogs_->Texts("question"), QStringList{question});
    QCOMPARE(dialogs_->Texts("open"), QStringList{samples});

    dialogs_->answers = {false};
    commands_->LoadSamples();
    QCOMPARE(model_->Count(), 2 + expected.size());
    QCOMPARE(dialogs_->Texts("question"), QStringList({question, question}));
    QCOMPARE(dialogs_->Texts("open").size(), 1);
    SetDataFolderForTesting(QString());
  }

  void noSamplesFolderAddsNothingButStillOffers() {
    TempTree program;
    SetDataFolderForTesting(program.root());
    dialogs_->answers = {true};
    commands_->LoadSamples();
    QCOMPARE(model_->Count(), 0);
    QCOMPARE(dialogs_->Texts("question").size(), 1);
    QCOMPARE(dialogs_->Texts("open"),
             QStringList{program.root() + "/Samples/"});
    QVERIFY(dialogs_->Texts("message").isEmpty());
    // Without a file browser to show it, the user hears where it is.
    dialogs_->can_open_folders = false;
    commands_->LoadSamples();
    QCOMPARE(dialogs_->Texts("message").size(), 1);
    QVERIFY(dialogs_->Texts("message")[0].endsWith("\r\n\r\n" + program.root() +
                                                   "/Samples"));
    SetDataFolderForTesting(QString());
  }

 private:
  std::unique_ptr<testing::ScriptedDialogs> dialogs_;
  std::unique_ptr<FileListModel> model_;
  std::unique_ptr<FileListView> list_;
  std::unique_ptr<FileListCommands> commands_;
  bool busy_ = false;
  QList<bool> busy_marks_;
  bool expect_reports_ = false;
  QTemporaryDir settings_folder_;
};

}  // namespace kestrilo::gui

QTEST_MAIN(kestrilo::gui::FileListCommandsTest)
#include "file_list_commands_test.moc"
