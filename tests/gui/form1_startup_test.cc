// Start-up of the main window: the design, the stored options put back
// through the controls' own handling, the reports of start-up failures, the
// spreadsheet check, the skin, and the pointer rule.

#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "gui/filelist/file_list_view.h"
#include "gui/shell/application_title.h"
#include "gui/shell/form1.h"
#include "gui/shell/program_folder.h"
#include "gui/shell/shell_utilities.h"
#include "gui_fakes.h"

using namespace kestrilo;
using namespace kestrilo::testing;

namespace {

constexpr char kLoadLocation[] = "in Kestrix2021/08/31.Form1.Form_Load ";

}  // namespace

class Form1StartupTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<QTemporaryDir> program_folder_;
  FakeAutomation automation_;
  ScriptedDialogs dialogs_;
  std::unique_ptr<Form1> form_;

  Form1& Load() {
    form_ = std::make_unique<Form1>(automation_, dialogs_);
    form_->Form_Load();
    return *form_;
  }
  template <typename Widget>
  Widget* Find(const char* name) {
    auto* widget = form_->findChild<Widget*>(QString::fromLatin1(name));
    if (widget == nullptr) qFatal("no control %s", name);
    return widget;
  }
  bool Selected(const char* name) {
    return Find<QRadioButton>(name)->isChecked();
  }
  QString SelectedMode() {
    QString selected;
    for (const char* name : {"Option3", "Option5", "Option6", "Option4"}) {
      if (Selected(name)) selected += name;
    }
    return selected;
  }
  void Hover(QWidget* widget) {
    QMouseEvent move(QEvent::MouseMove, QPointF(2, 2),
                     widget->mapToGlobal(QPointF(2, 2)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
  }

 private slots:
  void initTestCase() { UseTestSettings(); }
  void init() {
    ClearSettings();
    program_folder_ = std::make_unique<QTemporaryDir>();
    SetProgramFolderForTesting(program_folder_->path());
    automation_ = FakeAutomation();
    dialogs_ = ScriptedDialogs();
  }
  void cleanup() { form_.reset(); }

  void FirstStartShowsTheDefaults() {
    Form1& form = Load();
    QCOMPARE(dialogs_.Kinds(), QStringList());
    QVERIFY(!form.program_ended());
    QCOMPARE(SelectedMode(), QStringLiteral("Option3"));
    QVERIFY(Selected("Option1"));
    QVERIFY(!Selected("Option2"));
    QVERIFY(!Find<QRadioButton>("Option1")->isEnabled());
    QVERIFY(!Find<QRadioButton>("Option2")->isEnabled());
    QCOMPARE(Find<QLineEdit>("Text2")->text(), QStringLiteral("XML"));
    QCOMPARE(Find<QLineEdit>("Text1")->text(), DesktopFolderPath());
    QVERIFY(Find<QCheckBox>("Check1")->isChecked());
    QVERIFY(Find<QCheckBox>("Check2")->isChecked());
    QVERIFY(!Find<QCheckBox>("Check3")->isChecked());
    QVERIFY(Find<QCheckBox>("CheckEscape")->isChecked());
    QCOMPARE(form.windowTitle(), QStringLiteral("Kestrilo"));
    QVERIFY(!form.windowIcon().isNull());
    QCOMPARE(ApplicationTitle(), QStringLiteral("Kestrilo"));
    QCOMPARE(form.list().Count(), 0);
    QCOMPARE(form.list().headerItem()->text(0),
             QStringLiteral("Excel File(s)"));
    QCOMPARE(form.list().header()->sectionSize(0),
             qRound(7000 * form.logicalDpiX() / 1440.0));
    QCOMPARE(form.progress_text(), QStringLiteral("Progress Bar"));
    QCOMPARE(form.progress_value(), 0);
    // The output folder was stored through the text box's own handling.
    QCOMPARE(StoredSetting("Output Folder").toString(), DesktopFolderPath());
  }

  void WindowHasItsFixedSizeAndHiddenFlags() {
    Form1& form = Load();
    const double scale = form.logicalDpiX() / 1440.0;
    QCOMPARE(form.size(), QSize(qRound(8040 * scale), qRound(8235 * scale)));
    QCOMPARE(form.minimumSize(), form.maximumSize());
    for (const char* name : {"Check1", "Check2", "Check3"}) {
      QVERIFY2(Find<QCheckBox>(name)->geometry().top() >= form.height(), name);
      QCOMPARE(Find<QCheckBox>(name)->focusPolicy(), Qt::NoFocus);
    }
    // The header modes in code order, top to bottom; Row First on the left.
    int last_top = -1;
    for (const char* name : {"Option3", "Option5", "Option6", "Option4"}) {
      QVERIFY2(Find<QRadioButton>(name)->y() > last_top, name);
      last_top = Find<QRadioButton>(name)->y();
    }
    QVERIFY(Find<QRadioButton>("Option1")->x() <
            Find<QRadioButton>("Option2")->x());
    QCOMPARE(Find<QRadioButton>("Option3")->parent(),
             Find<QGroupBox>("Frame1"));
    QCOMPARE(Find<QLineEdit>("Text2")->parent(), Find<QGroupBox>("Frame2"));
    QCOMPARE(Find<QRadioButton>("Option1")->parent(),
             Find<QGroupBox>("Frame3"));
    QCOMPARE(Find<QPushButton>("PushButton2")->parent(),
             Find<QGroupBox>("Frame4"));
    QCOMPARE(Find<QPushButton>("PushButton8")->text(),
             QStringLiteral("Start Exporting To XML"));
    // Every visible control lies inside the client area.
    for (QWidget* child : form.centralWidget()->findChildren<QWidget*>(
             QString(), Qt::FindDirectChildrenOnly)) {
      if (child->objectName().startsWith("Check")) continue;
      QVERIFY2(QRect(QPoint(0, 0), form.size()).contains(child->geometry()),
               qPrintable(child->objectName()));
    }
  }

  void StoredSettingsAreRestored() {
    StoreSetting("Selection Properties", "3");
    StoreSetting("Flip Row", "2");
    StoreSetting("Title", "");
    StoreSetting("Output Folder", "/srv/out/");
    StoreSetting("Escape Text", "0");
    Form1& form = Load();
    QCOMPARE(dialogs_.Kinds(), QStringList());
    QCOMPARE(SelectedMode(), QStringLiteral("Option6"));
    QVERIFY(Selected("Option2"));
    QVERIFY(Find<QRadioButton>("Option1")->isEnabled());
    QVERIFY(Find<QCheckBox>("Check2")->isChecked());
    QVERIFY(Find<QCheckBox>("Check3")->isChecked());
    QCOMPARE(Find<QLineEdit>("Text2")->text(), QString());
    QCOMPARE(Find<QLineEdit>("Text1")->text(), QStringLiteral("/srv/out/"));
    const ExportOptions options = form.ReadExportOptions();
    QVERIFY(options.header_row && options.header_column && !options.row_first);
    QVERIFY(!options.escape_text);
    QCOMPARE(options.title, std::string());
  }

  void EachStoredModeSelectsItsButton() {
    const std::pair<const char*, const char*> modes[] = {
        {"1", "Option3"}, {"2", "Option5"}, {"3", "Option6"},
        {"4", "Option4"}, {"7", "Option3"}, {" 2 ", "Option5"}};
    for (const auto& [code, button] : modes) {
      StoreSetting("Selection Properties", code);
      Load();
      QCOMPARE(SelectedMode(), QString::fromLatin1(button));
      QCOMPARE(dialogs_.Kinds(), QStringList());
    }
  }

  void NumberOutsideTheCodesKeepsTheDesignState() {
    StoreSetting("Selection Properties", "7");
    StoreSetting("Flip Row", "5");
    Load();
    QCOMPARE(SelectedMode(), QStringLiteral("Option3"));
    QVERIFY(Selected("Option1"));
    QVERIFY(!Find<QRadioButton>("Option1")->isEnabled());
    QCOMPARE(StoredSetting("Selection Properties").toString(),
             QStringLiteral("7"));
  }

  void NonNumberSettingIsReportedAtItsLineAndTakesTheFirstBranch() {
    StoreSetting("Selection Properties", "abc");
    StoreSetting("Flip Row", "two");
    StoreSetting("Title", "Kept");
    Load();
    const QStringList reports = dialogs_.Texts("error");
    QCOMPARE(reports.size(), 2);
    QVERIFY(reports[0].contains(QString(kLoadLocation) + "at line 132\r\r"));
    QVERIFY(reports[0].contains("abc"));
    QVERIFY(reports[1].contains(QString(kLoadLocation) + "at line 148\r\r"));
    QCOMPARE(SelectedMode(), QStringLiteral("Option3"));
    QVERIFY(Selected("Option1"));
    // Start-up went on after the reports.
    QCOMPARE(Find<QLineEdit>("Text2")->text(), QStringLiteral("Kept"));
  }

  void ModeChangedByRestoreIsStoredAgainWithItsFlags() {
    StoreSetting("Selection Properties", "2");
    Load();
    QVERIFY(!Find<QCheckBox>("Check2")->isChecked());
    QVERIFY(Find<QCheckBox>("Check3")->isChecked());
    QVERIFY(!Find<QRadioButton>("Option2")->isEnabled());
    QCOMPARE(StoredSetting("Selection Properties").toString(),
             QStringLiteral("2"));
  }

  void MissingSpreadsheetComponentEndsTheProgram() {
    automation_.can_create = false;
    Form1& form = Load();
    QVERIFY(form.program_ended());
    const QStringList messages = dialogs_.Texts("message");
    QCOMPARE(messages.size(), 1);
    QVERIFY(
        messages[0].startsWith("Error 842001. A normal instance of Excel could "
                               "not be created.\r\n\r\n1. "));
  }

  void SkinFileBecomesTheStyleSheet() {
    QDir(program_folder_->path()).mkpath("x");
    QFile skin(program_folder_->filePath("x/o.cjs"));
    QVERIFY(skin.open(QIODevice::WriteOnly));
    skin.write("QMainWindow { background: #ececec; }");
    skin.close();
    Form1& form = Load();
    QCOMPARE(form.styleSheet(),
             QStringLiteral("QMainWindow { background: #ececec; }"));
    QCOMPARE(dialogs_.Kinds(), QStringList());
  }

  void SkinFolderInsteadOfFileIsIgnored() {
    QDir(program_folder_->path()).mkpath("x/o.cjs");
    Form1& form = Load();
    QCOMPARE(form.styleSheet(), QString());
    QCOMPARE(dialogs_.Kinds(), QStringList());
  }

  void UnreadableSkinIsReportedAtLine100AndStartUpGoesOn() {
    QDir(program_folder_->path()).mkpath("x");
    QFile skin(program_folder_->filePath("x/o.cjs"));
    QVERIFY(skin.open(QIODevice::WriteOnly));
    skin.close();
    skin.setPermissions(QFileDevice::WriteOwner);
    if (QFile(skin.fileName()).open(QIODevice::ReadOnly)) {
      QSKIP("running with rights that read any file");
    }
    Form1& form = Load();
    const QStringList reports = dialogs_.Texts("error");
    QCOMPARE(reports.size(), 1);
    QVERIFY(reports[0].contains(QString(kLoadLocation) + "at line 100\r\r"));
    QCOMPARE(form.windowTitle(), QStringLiteral("Kestrilo"));
  }

  void PointerRuleOverButtonsAndBackground() {
    Form1& form = Load();
    QCOMPARE(form.pointer(), Form1::Pointer::kDefault);
    Hover(Find<QPushButton>("PushButton8"));
    QCOMPARE(form.pointer(), Form1::Pointer::kCustom);
    QCOMPARE(form.cursor().shape(), Qt::PointingHandCursor);
    Hover(Find<QGroupBox>("Frame1"));
    QCOMPARE(form.pointer(), Form1::Pointer::kDefault);
    Hover(Find<QPushButton>("PushButton2"));
    QCOMPARE(form.pointer(), Form1::Pointer::kCustom);
    Hover(form.list().viewport());
    QCOMPARE(form.pointer(), Form1::Pointer::kDefault);
    Hover(Find<QPushButton>("PushButton1"));
    Hover(Find<QLineEdit>("Text2"));  // no pointer handling of its own
    QCOMPARE(form.pointer(), Form1::Pointer::kCustom);
    Hover(form.centralWidget());
    QCOMPARE(form.pointer(), Form1::Pointer::kDefault);
  }

  void HourglassIsLeftAlone() {
    Form1& form = Load();
    form.SetBusy(true);
    QVERIFY(form.IsBusy());
    Hover(Find<QPushButton>("PushButton6"));
    Hover(Find<QRadioButton>("Option4"));
    Hover(form.centralWidget());
    QCOMPARE(form.pointer(), Form1::Pointer::kHourglass);
    QCOMPARE(form.cursor().shape(), Qt::WaitCursor);
    form.SetBusy(false);
    QVERIFY(!form.IsBusy());
  }

  void CursorFileBesideTheProgramIsTheCustomPointer() {
    // A 2x2 .png renamed: what matters is that Qt can read the image.
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QVERIFY(image.save(program_folder_->filePath("HAND-M.CUR"), "PNG"));
    Form1& form = Load();
    QCOMPARE(dialogs_.Kinds(), QStringList());
    QCOMPARE(form.custom_cursor().shape(), Qt::BitmapCursor);
    Hover(Find<QPushButton>("PushButton7"));
    QCOMPARE(form.cursor().shape(), Qt::BitmapCursor);
  }

  void ListButtonsReachTheListCommands() {
    Form1& form = Load();
    dialogs_.file_lists.push_back({"/x/a.xlsx", "/x/b.xls"});
    QTest::mouseClick(Find<QPushButton>("PushButton6"), Qt::LeftButton);
    QCOMPARE(form.list().Count(), 2);
    form.SetBusy(true);  // the list's clear waits while the window is busy
    QTest::mouseClick(Find<QPushButton>("PushButton7"), Qt::LeftButton);
    QCOMPARE(form.list().Count(), 2);
    form.SetBusy(false);
    QTest::mouseClick(Find<QPushButton>("PushButton7"), Qt::LeftButton);
    QCOMPARE(form.list().Count(), 0);

    QDir(program_folder_->path()).mkpath("Samples");
    QFile sample(program_folder_->filePath("Samples/Fruit.csv"));
    QVERIFY(sample.open(QIODevice::WriteOnly));
    sample.close();
    dialogs_.answers.push_back(false);
    QTest::mouseClick(Find<QPushButton>("PushButton1"), Qt::LeftButton);
    QCOMPARE(form.list().Count(), 1);
    QCOMPARE(QDir::fromNativeSeparators(form.list().Text(1)),
             QDir::fromNativeSeparators(sample.fileName()));
    QCOMPARE(dialogs_.Texts("question").size(), 1);
  }

  void UnreadableCursorFileLeavesThePointingHand() {
    QFile file(program_folder_->filePath("HAND-M.CUR"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not an image");
    file.close();
    Form1& form = Load();
    QCOMPARE(dialogs_.Kinds(), QStringList());
    QCOMPARE(form.custom_cursor().shape(), Qt::PointingHandCursor);
  }
};

QTEST_MAIN(Form1StartupTest)
#include "form1_startup_test.moc"
