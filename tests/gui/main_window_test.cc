// SPDX-License-Identifier: MIT
// The main window: start-up with the stored settings put back and its
// reports, the window's layout as it grows, the keyboard, the pointer rule,
// and the buttons reaching the list's commands and the export run.

#include "gui/shell/main_window.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "event_flush.h"
#include "find_by_caption.h"
#include "gui/common/data_folder.h"
#include "gui/common/ui_texts.h"
#include "gui/filelist/file_list_model.h"
#include "gui/filelist/file_list_view.h"
#include "gui/run/export_run.h"
#include "gui/run/export_settings.h"
#include "gui/shell/application_title.h"
#include "gui/shell/pointer_rule.h"
#include "gui/shell/start_up.h"
#include "gui/shell/text_progress_bar.h"
#include "gui/spreadsheet/workbook_window.h"
#include "gui_fakes.h"

using namespace kestrilo;
using namespace kestrilo::gui;
using namespace kestrilo::testing;
using Pointer = PointerRule::Pointer;

namespace {

constexpr char kStartUpLocation[] = "in Kestrix2021/08/31.Form1.Form_Load ";

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<QTemporaryDir> data_folder_;
  FakeOpener opener_;
  ScriptedDialogs dialogs_;
  std::unique_ptr<MainWindow> window_;
  bool started_ = false;

  MainWindow& Load() {
    window_ = std::make_unique<MainWindow>(opener_, dialogs_);
    started_ = StartUp(*window_, opener_, dialogs_);
    return *window_;
  }
  template <typename Widget = QWidget>
  Widget* Find(const char* text) {
    return FindShown<Widget>(*window_, text);
  }
  QLineEdit* Line(const char* text) { return FieldOf(*window_, text); }
  bool Checked(const char* text) {
    return Find<QAbstractButton>(text)->isChecked();
  }
  void Hover(QWidget* widget) {
    QMouseEvent move(QEvent::MouseMove, QPointF(2, 2),
                     widget->mapToGlobal(QPointF(2, 2)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
  }
  void ShowWindow() {
    window_->show();
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
  }

 private slots:
  void initTestCase() { UseTestSettings(); }
  void init() {
    ClearSettings();
    data_folder_ = std::make_unique<QTemporaryDir>();
    SetDataFolderForTesting(data_folder_->path());
    opener_ = FakeOpener();
    dialogs_ = ScriptedDialogs();
  }
  void cleanup() { window_.reset(); }

  void FirstStartShowsTheDefaults() {
    MainWindow& window = Load();
    QVERIFY(started_);
    QCOMPARE(dialogs_.Kinds(), QStringList());
    QVERIFY(Checked(texts::kHeaderRowOption));
    QVERIFY(Checked(texts::kRowFirstOption));
    QVERIFY(!Find(texts::kRowFirstOption)->isEnabled());
    QCOMPARE(Line(texts::kTitleGroup)->text(), QStringLiteral("XML"));
    QCOMPARE(Line(texts::kOutputFolderGroup)->text(),
             ExportSettings::DesktopFolderPath());
    QVERIFY(Checked(texts::kEscapeTextCheck));
    QCOMPARE(window.windowTitle(), QStringLiteral("Kestrilo"));
    QVERIFY(!window.windowIcon().isNull());
    QVERIFY(!WorkbookWindow().windowIcon().isNull());  // every window
    QCOMPARE(ApplicationTitle(), QStringLiteral("Kestrilo"));
    QCOMPARE(window.list().headerData(0, Qt::Horizontal, Qt::DisplayRole),
             QVariant("Excel File(s)"));
    QCOMPARE(window.progress_bar().text(), QStringLiteral("Progress Bar"));
    // The default folder was stored as a change of the folder would be.
    QCOMPARE(StoredSetting("Output Folder").toString(),
             ExportSettings::DesktopFolderPath());
    const ExportOptions options = window.settings().Options();
    QVERIFY(options.title_tag && options.header_row && !options.header_column);
  }

  void StoredSettingsAreRestored() {
    StoreSetting("Selection Properties", "3");
    StoreSetting("Flip Row", "2");
    StoreSetting("Title", "");
    StoreSetting("Output Folder", "/srv/out/");
    StoreSetting("Escape Text", "0");
    Load();
    QCOMPARE(dialogs_.Kinds(), QStringList());
    QVERIFY(Checked(texts::kBothHeadersOption));
    QVERIFY(Checked(texts::kColumnFirstOption));
    QVERIFY(Find(texts::kRowFirstOption)->isEnabled());
    QCOMPARE(Line(texts::kTitleGroup)->text(), QString());
    QCOMPARE(Line(texts::kOutputFolderGroup)->text(),
             QStringLiteral("/srv/out/"));
    QVERIFY(!Checked(texts::kEscapeTextCheck));
  }

  void StoredCodesSelectTheirOptions() {
    const std::pair<const char*, const char*> modes[] = {
        {"2", texts::kHeaderColumnOption},
        {"4", texts::kNoHeadersOption},
        {" 2 ", texts::kHeaderColumnOption},
        {"7", texts::kHeaderRowOption}};
    for (const auto& [code, option] : modes) {
      StoreSetting("Selection Properties", code);
      Load();
      QVERIFY2(Checked(option), code);
      QCOMPARE(dialogs_.Kinds(), QStringList());
    }
    // A number that is no code is left as it was stored.
    QCOMPARE(StoredSetting("Selection Properties").toString(),
             QStringLiteral("7"));
  }

  void NonNumberSettingIsReportedAndStartUpGoesOn() {
    StoreSetting("Selection Properties", "abc");
    StoreSetting("Flip Row", "two");
    StoreSetting("Title", "Kept");
    Load();
    const QStringList reports = dialogs_.Texts("error");
    QCOMPARE(reports.size(), 2);
    QVERIFY(reports[0].contains(QString(kStartUpLocation) + "at line 132"));
    QVERIFY(reports[0].contains("abc"));
    QVERIFY(reports[1].contains(QString(kStartUpLocation) + "at line 148"));
    QVERIFY(Checked(texts::kHeaderRowOption));
    QVERIFY(Checked(texts::kRowFirstOption));
    QCOMPARE(Line(texts::kTitleGroup)->text(), QStringLiteral("Kept"));
  }

  void NoDisplayEndsTheProgramSayingSoInOurTerms() {
    opener_.can_open = false;
    Load();
    QVERIFY(!started_);
    const QStringList messages = dialogs_.Texts("message");
    QCOMPARE(messages.size(), 1);
    QVERIFY(
        messages[0].startsWith("Kestrilo cannot show its workbook "
                               "windows: no display was found"));
    QVERIFY(!messages[0].contains("Excel"));
  }

  void SkinFileBecomesTheStyleSheetAndAnUnreadableOneIsReported() {
    QDir(data_folder_->path()).mkpath("x");
    QFile skin(data_folder_->filePath("x/o.cjs"));
    QVERIFY(skin.open(QIODevice::WriteOnly));
    skin.write("QMainWindow { background: #ececec; }");
    skin.close();
    QCOMPARE(Load().styleSheet(),
             QStringLiteral("QMainWindow { background: #ececec; }"));
    QCOMPARE(dialogs_.Kinds(), QStringList());
    skin.setPermissions(QFileDevice::WriteOwner);
    if (QFile(skin.fileName()).open(QIODevice::ReadOnly)) {
      QSKIP("running with rights that read any file");
    }
    Load();
    QCOMPARE(dialogs_.Texts("error").size(), 1);
    QVERIFY(dialogs_.Texts("error")[0].contains(QString(kStartUpLocation) +
                                                "at line 100"));
  }

  // The list shows eight whole entries when the window first opens, four
  // however small the window is made, and takes the room it grows by; the
  // window opens again where and as large as it was left.
  void ListShowsEightEntriesAtFirstAndNeverFewerThanFour() {
    MainWindow& window = Load();
    for (int i = 0; i < 12; ++i) {
      window.list().Append(
          "/home/someone/Documents/Projects/Quarterly Reports/2021/Archive/"
          "Samples/Fruit Prices " +
          QString::number(i) + ".xlsx");
    }
    ShowWindow();
    FileListView& view = window.list_view();
    const auto whole_entries = [&view] {
      int whole = 0;
      for (int row = 0; row < view.model()->rowCount(); ++row) {
        whole += view.viewport()->rect().contains(
            view.visualRect(view.model()->index(row, 0)));
      }
      return whole;
    };
    QVERIFY2(whole_entries() >= MainWindow::kOpeningEntries,
             qPrintable(QString::number(whole_entries())));
    QVERIFY(window.width() >= qRound(8040 * window.logicalDpiX() / 1440.0));
    window.resize(1, 1);
    QTRY_COMPARE(window.size(), window.minimumSize());
    QVERIFY2(whole_entries() >= MainWindow::kLeastEntries,
             qPrintable(QString::number(whole_entries())));
    const QSize list_before = view.size();
    const int button_height = Find(texts::kStartExportButton)->height();
    window.resize(window.size() + QSize(300, 200));
    QTRY_COMPARE(view.width(), list_before.width() + 300);
    QCOMPARE(view.height(), list_before.height() + 200);
    QCOMPARE(Find(texts::kStartExportButton)->height(), button_height);
    const QSize left = window.size();
    window.close();
    QCOMPARE(Load().size(), left);
    window_->close();  // the stored size is the user's: none for the rest
    ClearSettings();
    MainWindow& again = Load();
    again.list().Append("/home/someone/a long folder name/Fruit Prices.xlsx");
    ShowWindow();
    // The one column fills the list; long paths keep their file name.
    FileListView& shown = again.list_view();
    QCOMPARE(shown.header()->sectionSize(0), shown.viewport()->width());
    QCOMPARE(shown.textElideMode(), Qt::ElideMiddle);
    QCOMPARE(again.list().data(again.list().index(0), Qt::ToolTipRole),
             QVariant(again.list().Text(0)));
    // The header modes in code order, top to bottom; Row First on the left.
    int last_top = -1;
    for (const char* mode :
         {texts::kHeaderRowOption, texts::kHeaderColumnOption,
          texts::kBothHeadersOption, texts::kNoHeadersOption}) {
      QVERIFY2(Find(mode)->y() > last_top, mode);
      last_top = Find(mode)->y();
    }
    QVERIFY(Find(texts::kRowFirstOption)->x() <
            Find(texts::kColumnFirstOption)->x());
  }

  void KeyboardReachesEveryControlTopToBottom() {
    StoreSetting("Selection Properties", "3");
    Load();
    ShowWindow();
    window_->list_view().setFocus();
    QStringList visited;
    for (int i = 0; i < 13; ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      visited << Describe(QApplication::focusWidget());
    }
    // Tab enters the header modes on the checked one, and Space there
    // changes nothing.
    QStringList expected;
    for (const char* text :
         {texts::kAddFilesButton, texts::kAddFolderButton,
          texts::kClearListButton, texts::kBothHeadersOption,
          texts::kEscapeTextCheck, texts::kValidNamesCheck,
          texts::kAsDisplayedCheck, texts::kRowFirstOption, texts::kTitleGroup,
          texts::kOutputFolderGroup, texts::kChooseFolderButton,
          texts::kLoadSamplesButton, texts::kStartExportButton}) {
      expected << Caption(text);
    }
    QCOMPARE(visited, expected);
    // Enter presses the focused button: here it starts a run, which finds
    // the list empty.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(dialogs_.Texts("message"), QStringList{"No files added."});
    // Every button has an access key of its own.
    QSet<QKeySequence> keys;
    for (QPushButton* button : window_->findChildren<QPushButton*>()) {
      const QKeySequence key = button->shortcut().isEmpty()
                                   ? QKeySequence::mnemonic(button->text())
                                   : button->shortcut();
      QVERIFY2(!key.isEmpty() && !keys.contains(key),
               qPrintable(button->text()));
      keys.insert(key);
    }
    QCOMPARE(keys.size(), 6);
  }

  void EveryOptionHasAnAccessKeyOfItsOwn() {
    Load();
    ShowWindow();
    // The buttons, option buttons and check boxes by their own captions,
    // the title and folder fields by their frames'.
    QMap<QKeySequence, QString> keys;
    const auto take = [&](const QString& text, QKeySequence key) {
      if (key.isEmpty()) key = QKeySequence::mnemonic(text);
      QVERIFY2(!key.isEmpty(), qPrintable(text + ": no access key"));
      QVERIFY2(!keys.contains(key),
               qPrintable(text + ": the access key of " + keys.value(key)));
      keys.insert(key, text);
    };
    for (QAbstractButton* button : window_->findChildren<QAbstractButton*>()) {
      if (!button->isVisible()) continue;  // the menu bar's "more" arrow
      take(button->text(), button->shortcut());
      if (QTest::currentTestFailed()) return;
    }
    QList<QLineEdit*> fields;
    for (QGroupBox* frame : window_->findChildren<QGroupBox*>()) {
      const QList<QLineEdit*> edits = frame->findChildren<QLineEdit*>();
      if (edits.isEmpty()) continue;
      take(frame->title(), {});
      if (QTest::currentTestFailed()) return;
      fields << edits.front();
    }
    for (QLabel* label : window_->findChildren<QLabel*>()) {
      if (label->buddy() != nullptr) take(label->text(), {});
      if (QTest::currentTestFailed()) return;
    }
    QCOMPARE(fields.size(), 2);
    QVERIFY(keys.size() >= 20);
    // A frame's key puts the keyboard in its field; an option's chooses it.
    for (QLineEdit* field : fields) {
      const auto* frame = qobject_cast<QGroupBox*>(field->parentWidget());
      QTest::keySequence(window_.get(), QKeySequence::mnemonic(frame->title()));
      QCOMPARE(QApplication::focusWidget(), field);
    }
    auto* none = Find<QRadioButton>(texts::kNoHeadersOption);
    QTest::keySequence(window_.get(), QKeySequence::mnemonic(none->text()));
    QTRY_VERIFY(none->isChecked());
  }

  void ButtonsReachTheListCommandsAndTheRun() {
    MainWindow& window = Load();
    dialogs_.file_lists.push_back({"/x/a.xlsx", "/x/b.xls"});
    QTest::mouseClick(Find<QPushButton>(texts::kAddFilesButton),
                      Qt::LeftButton);
    QCOMPARE(window.list().Count(), 2);
    window.list().Lock();  // a run or a scan under way: the list stays
    QTest::mouseClick(Find<QPushButton>(texts::kClearListButton),
                      Qt::LeftButton);
    QCOMPARE(window.list().Count(), 2);
    window.list().Unlock();
    QTest::mouseClick(Find<QPushButton>(texts::kClearListButton),
                      Qt::LeftButton);
    QCOMPARE(window.list().Count(), 0);
    QDir(data_folder_->path()).mkpath("Samples");
    QFile sample(data_folder_->filePath("Samples/Fruit.csv"));
    QVERIFY(sample.open(QIODevice::WriteOnly));
    sample.close();
    dialogs_.answers.push_back(false);
    QTest::mouseClick(Find<QPushButton>(texts::kLoadSamplesButton),
                      Qt::LeftButton);
    QCOMPARE(window.list().texts(), QStringList{sample.fileName()});
    dialogs_.folders.push_back("/srv/Reports");
    QTest::mouseClick(Find<QPushButton>(texts::kChooseFolderButton),
                      Qt::LeftButton);
    QCOMPARE(Line(texts::kOutputFolderGroup)->text(),
             QStringLiteral("/srv/Reports/"));
  }

  void RunShowsItsProgressAndHourglassAndEndsWithTheWindow() {
    MainWindow& window = Load();
    // A folder of its own: nothing else may have left an a.xml there.
    QTemporaryDir out;
    window.settings().SetOutputFolder(out.path());
    opener_.workbooks = {{"/in/a.csv", {{"A"}, {"1"}}},
                         {"/in/b.csv", {{"B"}, {"2"}}}};
    window.list().Append("/in/a.csv");
    window.list().Append("/in/b.csv");
    QList<Pointer> pointers;
    QStringList texts;
    opener_.prompts = {[&](const PromptContext&) {
      pointers << window.pointer().pointer();
      texts << window.progress_bar().text();
      Hover(Find(texts::kAddFilesButton));  // the hourglass stays
      pointers << window.pointer().pointer();
      window.close();
      return std::optional<std::string>("A1:A2");
    }};
    QTest::mouseClick(Find<QPushButton>(texts::kStartExportButton),
                      Qt::LeftButton);
    QTRY_VERIFY(window.run() == nullptr);
    QVERIFY(testing::FlushEvents());
    QCOMPARE(pointers, QList<Pointer>(2, Pointer::kHourglass));
    QCOMPARE(texts, QStringList{"Processing: a.csv"});
    QCOMPARE(window.progress_bar().value(), 50);
    QCOMPARE(dialogs_.Kinds(), QStringList());
    QCOMPARE(opener_.open_sessions, 0);
    QVERIFY(!QFile::exists(QDir(out.path()).filePath("a.xml")));
  }

  void PointerRuleOverButtonsAndBackground() {
    MainWindow& window = Load();
    PointerRule& pointer = window.pointer();
    QCOMPARE(pointer.pointer(), Pointer::kDefault);
    Hover(Find(texts::kStartExportButton));
    QCOMPARE(pointer.pointer(), Pointer::kHand);
    QCOMPARE(window.cursor().shape(), Qt::PointingHandCursor);
    Hover(Find(texts::kHeaderModeGroup));
    QCOMPARE(pointer.pointer(), Pointer::kDefault);
    Hover(Find(texts::kChooseFolderButton));
    QCOMPARE(pointer.pointer(), Pointer::kHand);
    Hover(Line(texts::kTitleGroup));  // no pointer handling of its own
    QCOMPARE(pointer.pointer(), Pointer::kHand);
    Hover(window.list_view().viewport());
    QCOMPARE(pointer.pointer(), Pointer::kDefault);
    pointer.SetBusy(true);
    Hover(Find(texts::kAddFolderButton));
    QCOMPARE(pointer.pointer(), Pointer::kHourglass);
    QCOMPARE(window.cursor().shape(), Qt::WaitCursor);
    pointer.SetBusy(false);
    QCOMPARE(pointer.pointer(), Pointer::kDefault);
  }

  void HandPointerFileIsUsedWhenQtCanReadIt() {
    QFile broken(data_folder_->filePath("HAND-M.CUR"));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("not an image");
    broken.close();
    QCOMPARE(Load().pointer().hand_cursor().shape(), Qt::PointingHandCursor);
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QVERIFY(image.save(broken.fileName(), "PNG"));
    MainWindow& window = Load();
    QCOMPARE(dialogs_.Kinds(), QStringList());
    Hover(Find(texts::kClearListButton));
    QCOMPARE(window.cursor().shape(), Qt::BitmapCursor);
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
