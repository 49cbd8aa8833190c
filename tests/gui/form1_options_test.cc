// The export options: each button's handler, the hidden flags and the
// enabling rule, the text boxes stored on every change, the escaping
// option, and the output folder's "..." button with a scripted chooser.

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <memory>

#include "gui/shell/form1.h"
#include "gui/shell/program_folder.h"
#include "gui_fakes.h"

using namespace kestrilo;
using namespace kestrilo::testing;

class Form1OptionsTest : public QObject {
  Q_OBJECT

 private:
  FakeAutomation automation_;
  ScriptedDialogs dialogs_;
  std::unique_ptr<Form1> form_;

  template <typename Widget>
  Widget* Find(const char* name) {
    auto* widget = form_->findChild<Widget*>(QString::fromLatin1(name));
    if (widget == nullptr) qFatal("no control %s", name);
    return widget;
  }
  // Clicks near the left end: option buttons and check boxes take clicks
  // on their mark and caption only.
  void Click(const char* name) {
    auto* button = Find<QAbstractButton>(name);
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier,
                      QPoint(6, button->height() / 2));
  }
  bool Checked(const char* name) {
    return Find<QAbstractButton>(name)->isChecked();
  }
  bool HierarchyEnabled() {
    const bool row_first = Find<QRadioButton>("Option1")->isEnabled();
    if (Find<QRadioButton>("Option2")->isEnabled() != row_first)
      qFatal("hierarchy buttons disagree");
    return row_first;
  }
  QString Stored(const char* name) { return StoredSetting(name).toString(); }

 private slots:
  void initTestCase() {
    UseTestSettings();
    SetProgramFolderForTesting(QDir::tempPath());
  }
  void init() {
    ClearSettings();
    dialogs_ = ScriptedDialogs();
    form_ = std::make_unique<Form1>(automation_, dialogs_);
    form_->Form_Load();
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
  }
  void cleanup() { form_.reset(); }

  void HeaderModesStoreTheirCodeAndSetTheFlags() {
    struct Mode {
      const char* button;
      const char* code;
      bool header_row, header_column, hierarchy;
    };
    const Mode modes[] = {{"Option5", "2", false, true, false},
                          {"Option6", "3", true, true, true},
                          {"Option4", "4", false, false, true},
                          {"Option3", "1", true, false, false}};
    for (const Mode& mode : modes) {
      Click(mode.button);
      QCOMPARE(Stored("Selection Properties"), QString::fromLatin1(mode.code));
      QCOMPARE(Checked("Check2"), mode.header_row);
      QCOMPARE(Checked("Check3"), mode.header_column);
      QCOMPARE(HierarchyEnabled(), mode.hierarchy);
      const ExportOptions options = form_->ReadExportOptions();
      QCOMPARE(options.header_row, mode.header_row);
      QCOMPARE(options.header_column, mode.header_column);
      QVERIFY(options.title_tag);
    }
  }

  void DisablingKeepsTheHierarchySelection() {
    Click("Option4");
    Click("Option2");
    QCOMPARE(Stored("Flip Row"), QStringLiteral("2"));
    Click("Option5");
    QVERIFY(!HierarchyEnabled());
    QVERIFY(Checked("Option2"));
    QVERIFY(!form_->ReadExportOptions().row_first);
    Click("Option4");
    QVERIFY(HierarchyEnabled());
    QVERIFY(Checked("Option2"));
  }

  void HierarchyButtonsStoreOnlyTheirCode() {
    Click("Option6");
    Click("Option2");
    QCOMPARE(Stored("Flip Row"), QStringLiteral("2"));
    QVERIFY(!form_->ReadExportOptions().row_first);
    Click("Option1");
    QCOMPARE(Stored("Flip Row"), QStringLiteral("1"));
    QVERIFY(form_->ReadExportOptions().row_first);
    QCOMPARE(Stored("Selection Properties"), QStringLiteral("3"));
  }

  void EnablingRuleFollowsTheFlagsAlone() {
    // The hidden boxes can be reached by tabbing; the rule follows them.
    auto* row = Find<QCheckBox>("Check2");
    auto* column = Find<QCheckBox>("Check3");
    row->setChecked(false);
    QVERIFY(HierarchyEnabled());  // both clear
    column->setChecked(true);
    QVERIFY(!HierarchyEnabled());  // column only
    row->setChecked(true);
    QVERIFY(HierarchyEnabled());  // both
    column->setChecked(false);
    QVERIFY(!HierarchyEnabled());  // row only
  }

  void TitleIsStoredOnEveryKeystroke() {
    auto* title = Find<QLineEdit>("Text2");
    title->selectAll();
    QTest::keyClick(title, Qt::Key_Delete);
    QCOMPARE(Stored("Title"), QString());
    QTest::keyClick(title, 'A');
    QCOMPARE(Stored("Title"), QStringLiteral("A"));
    QTest::keyClicks(title, "b c");
    QCOMPARE(Stored("Title"), QStringLiteral("Ab c"));
    QCOMPARE(form_->ReadExportOptions().title, std::string("Ab c"));
    title->setText(QStringLiteral("Set by program"));
    QCOMPARE(Stored("Title"), QStringLiteral("Set by program"));
  }

  void OutputFolderIsStoredOnEveryChange() {
    auto* folder = Find<QLineEdit>("Text1");
    folder->clear();
    QCOMPARE(Stored("Output Folder"), QString());
    QTest::keyClicks(folder, "/o");
    QCOMPARE(Stored("Output Folder"), QStringLiteral("/o"));
  }

  void EscapeOptionIsStoredAndRead() {
    QVERIFY(form_->ReadExportOptions().escape_text);
    Click("CheckEscape");
    QCOMPARE(Stored("Escape Text"), QStringLiteral("0"));
    QVERIFY(!form_->ReadExportOptions().escape_text);
    Click("CheckEscape");
    QCOMPARE(Stored("Escape Text"), QStringLiteral("1"));
  }

  void CancelledFolderChooserChangesNothing() {
    const QString before = Find<QLineEdit>("Text1")->text();
    dialogs_.folders.push_back(QString());
    Click("PushButton2");
    QCOMPARE(dialogs_.Texts("folder"), QStringList{"Please select folder:"});
    QCOMPARE(dialogs_.start_folders, QStringList{QString()});
    QCOMPARE(Find<QLineEdit>("Text1")->text(), before);
    QVERIFY(!StoredSetting("LastFolderDot").isValid());
  }

  void ChosenFolderGetsOneSeparatorAndIsRemembered() {
    const QString chosen = QDir::toNativeSeparators("/srv/Reports");
    dialogs_.folders.push_back(chosen);
    Click("PushButton2");
    QCOMPARE(Find<QLineEdit>("Text1")->text(), chosen + QDir::separator());
    QCOMPARE(Stored("Output Folder"), chosen + QDir::separator());
    QCOMPARE(Stored("LastFolderDot"), chosen);
    // The next chooser opens there; a root keeps its one separator.
    dialogs_.folders.push_back(QDir::separator());
    Click("PushButton2");
    QCOMPARE(dialogs_.start_folders.last(), chosen);
    QCOMPARE(Find<QLineEdit>("Text1")->text(), QString(QDir::separator()));
    QCOMPARE(dialogs_.Texts("error"), QStringList());
  }
};

QTEST_MAIN(Form1OptionsTest)
#include "form1_options_test.moc"
