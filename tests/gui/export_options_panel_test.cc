// SPDX-License-Identifier: MIT
// The export options as the user changes them: each choice stored at once
// under its old name and code, the hierarchy enabled only where it
// matters, the texts stored on every keystroke, and the folder chooser.

#include "gui/shell/export_options_panel.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "find_by_caption.h"
#include "gui/common/step_guard.h"
#include "gui/common/translation.h"
#include "gui/common/ui_texts.h"
#include "gui/run/export_settings.h"
#include "gui_fakes.h"

using namespace kestrilo;
using namespace kestrilo::gui;
using namespace kestrilo::testing;

class ExportOptionsPanelTest : public QObject {
  Q_OBJECT

 private:
  ScriptedDialogs dialogs_;
  std::unique_ptr<ExportSettings> settings_;
  std::unique_ptr<ExportOptionsPanel> panel_;

  template <typename Widget = QAbstractButton>
  Widget* Find(const char* text) {
    return FindShown<Widget>(*panel_, text);
  }
  QLineEdit* Line(const char* text) { return FieldOf(*panel_, text); }
  // Option buttons and check boxes take clicks on their mark and caption.
  void Click(const char* text) {
    QAbstractButton* button = Find(text);
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier,
                      QPoint(6, button->height() / 2));
  }
  bool HierarchyEnabled() {
    const bool row_first = Find(texts::kRowFirstOption)->isEnabled();
    if (Find(texts::kColumnFirstOption)->isEnabled() != row_first) {
      qFatal("hierarchy options disagree");
    }
    return row_first;
  }
  QString Stored(const char* name) { return StoredSetting(name).toString(); }
  std::unique_ptr<ExportSettings> Restored() {
    auto restored = std::make_unique<ExportSettings>();
    StepGuard guard(dialogs_);
    restored->Restore(guard);
    return restored;
  }

 private slots:
  void initTestCase() { UseTestSettings(); }
  void init() {
    ClearSettings();
    dialogs_ = ScriptedDialogs();
    settings_ = std::make_unique<ExportSettings>();
    StepGuard guard(dialogs_);
    settings_->Restore(guard);
    panel_ = std::make_unique<ExportOptionsPanel>(*settings_, dialogs_);
    panel_->show();
    QVERIFY(QTest::qWaitForWindowExposed(panel_.get()));
  }
  void cleanup() { panel_.reset(); }

  void HeaderModesStoreTheirCodeAndDecideTheHierarchy() {
    struct Mode {
      const char* option;
      const char* code;
      bool header_row, header_column, hierarchy;
    };
    const Mode modes[] = {{texts::kHeaderColumnOption, "2", false, true, false},
                          {texts::kBothHeadersOption, "3", true, true, true},
                          {texts::kNoHeadersOption, "4", false, false, true},
                          {texts::kHeaderRowOption, "1", true, false, false}};
    for (const Mode& mode : modes) {
      Click(mode.option);
      QCOMPARE(Stored("Selection Properties"), QString::fromLatin1(mode.code));
      QCOMPARE(HierarchyEnabled(), mode.hierarchy);
      const ExportOptions options = settings_->Options();
      QCOMPARE(options.header_row, mode.header_row);
      QCOMPARE(options.header_column, mode.header_column);
      QVERIFY(options.title_tag);
    }
  }

  void DisablingKeepsTheHierarchyChoice() {
    Click(texts::kNoHeadersOption);
    Click(texts::kColumnFirstOption);
    QCOMPARE(Stored("Flip Row"), QStringLiteral("2"));
    Click(texts::kHeaderColumnOption);
    QVERIFY(!HierarchyEnabled());
    QVERIFY(Find(texts::kColumnFirstOption)->isChecked());
    QCOMPARE(settings_->Value(texts::kSettingHierarchy), QStringLiteral("2"));
    Click(texts::kBothHeadersOption);
    QVERIFY(!settings_->Options().row_first);
    Click(texts::kRowFirstOption);
    QCOMPARE(Stored("Flip Row"), QStringLiteral("1"));
    QCOMPARE(Stored("Selection Properties"), QStringLiteral("3"));
  }

  void TextsAreStoredOnEveryChange() {
    QLineEdit* title = Line(texts::kTitleGroup);
    title->selectAll();
    QTest::keyClick(title, Qt::Key_Delete);
    QCOMPARE(Stored("Title"), QString());
    QTest::keyClicks(title, "Ab c");
    QCOMPARE(Stored("Title"), QStringLiteral("Ab c"));
    QCOMPARE(settings_->Options().title, std::string("Ab c"));
    QLineEdit* folder = Line(texts::kOutputFolderGroup);
    folder->clear();
    QTest::keyClicks(folder, "/o");
    QCOMPARE(Stored("Output Folder"), QStringLiteral("/o"));
    Click(texts::kEscapeTextCheck);
    QCOMPARE(Stored("Escape Text"), QStringLiteral("0"));
    QVERIFY(!settings_->Options().escape_text);
    // A change from elsewhere shows in the controls.
    settings_->Set(texts::kSettingTitle, "Set elsewhere");
    QCOMPARE(title->text(), QStringLiteral("Set elsewhere"));
  }

  // Every check of the table: off or on as its default says, nothing
  // stored until the user changes it, stored and back at the next start,
  // and what it sets in the conversion.
  void EveryCheckIsStoredUnderItsKeyAndComesBack() {
    Click(texts::kRecordsOption);  // every check applies in one layout
    int checks = 0;
    for (const ExportOptionRow& row : ExportOptionRows()) {
      if (row.kind != OptionKind::kCheck ||
          row.place == OptionPlace::kLayouts) {
        continue;
      }
      if (!settings_->Applies(row)) {
        Click(settings_->records_apply() ? texts::kHeaderRowOption
                                         : texts::kRecordsOption);
      }
      QVERIFY2(settings_->Applies(row), row.key);
      ++checks;
      auto* check = Find<QCheckBox>(row.caption);
      const bool on = QByteArray(row.default_value) == "1";
      QCOMPARE(check->isChecked(), on);
      QVERIFY2(!StoredSetting(row.key).isValid(), row.key);
      Click(row.caption);
      QCOMPARE(Stored(row.key), on ? QStringLiteral("0") : QStringLiteral("1"));
      QCOMPARE(settings_->Options().*row.flag, !on);
      QCOMPARE(Restored()->Value(row), CheckValue(!on));
      Click(row.caption);
      QCOMPARE(Restored()->Value(row), CheckValue(on));
    }
    QVERIFY(checks >= 5);
  }

  void ChecksOfTheCellsStandInAColumnUnderEscaping() {
    QCheckBox* escape = Find<QCheckBox>(texts::kEscapeTextCheck);
    QCheckBox* valid = Find<QCheckBox>(texts::kValidNamesCheck);
    QCheckBox* displayed = Find<QCheckBox>(texts::kAsDisplayedCheck);
    QCOMPARE(valid->x(), escape->x());
    QCOMPARE(displayed->x(), escape->x());
    QVERIFY(escape->y() < valid->y() && valid->y() < displayed->y());
    // The records' own options beside them.
    QVERIFY(Find(texts::kKeepEmptyCheck)->x() > escape->x() + 20);
  }

  void AsDisplayedCheckTakesItsAccessKey() {
    QCheckBox* displayed = Find<QCheckBox>(texts::kAsDisplayedCheck);
    QCOMPARE(displayed->text(),
             QStringLiteral("Write cells as the&y are displayed"));
    // Alt+Y, the underlined letter, turns it on as a click would.
    panel_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(panel_.get()));
    QTest::keyClick(panel_.get(), Qt::Key_Y, Qt::AltModifier);
    // A button clicks a moment after its key, as its press is shown.
    QTRY_VERIFY(displayed->isChecked());
    QCOMPARE(Stored("As Displayed"), QStringLiteral("1"));
    QVERIFY(settings_->Options().as_displayed);
  }

  // Alt+T and Alt+I reach the first line of their frames, whichever line
  // or button of the frame had the keyboard before.
  void FrameAccessKeysReachTheirFirstLine() {
    Click(texts::kRecordsOption);
    panel_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(panel_.get()));
    QLineEdit* title = Line(texts::kTitleGroup);
    QLineEdit* tag = Line(texts::kRecordTagLabel);
    tag->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(tag, Qt::Key_Tab);
    QTest::keyClick(panel_.get(), Qt::Key_T, Qt::AltModifier);
    QTRY_COMPARE(QApplication::focusWidget(), title);
    QTest::keyClicks(QApplication::focusWidget(), "Parts");
    QCOMPARE(settings_->Options().title, std::string("Parts"));
    QCOMPARE(settings_->Options().record_tag, std::string("Record"));

    QLineEdit* folder = Line(texts::kOutputFolderGroup);
    QAbstractButton* choose = panel_->findChild<QPushButton*>();
    QCOMPARE(choose->text(), QStringLiteral("..."));
    choose->setFocus(Qt::TabFocusReason);
    title->setFocus(Qt::TabFocusReason);
    QTest::keyClick(panel_.get(), Qt::Key_I, Qt::AltModifier);
    QTRY_COMPARE(QApplication::focusWidget(), folder);
  }

  void FolderChooserOpensAtTheFolderShownAndGivesOneSeparator() {
    QLineEdit* folder = Line(texts::kOutputFolderGroup);
    const QString before = folder->text();
    QTemporaryDir shown;
    dialogs_.folders = {QString(), "/srv/Reports", "/"};
    Click(texts::kChooseFolderButton);
    QCOMPARE(dialogs_.Texts("folder"), QStringList{"Please select folder:"});
    QCOMPARE(folder->text(), before);
    QVERIFY(!StoredSetting("LastFolderDot").isValid());
    Click(texts::kChooseFolderButton);
    QCOMPARE(folder->text(), QStringLiteral("/srv/Reports/"));
    QCOMPARE(Stored("Output Folder"), QStringLiteral("/srv/Reports/"));
    QCOMPARE(Stored("LastFolderDot"), QStringLiteral("/srv/Reports"));
    // A folder shown that exists is where the chooser opens, else where
    // the last choice was made; a root keeps its one separator.
    settings_->SetOutputFolder(shown.path());
    Click(texts::kChooseFolderButton);
    QCOMPARE(dialogs_.start_folders,
             (QStringList{before.trimmed(), before.trimmed(), shown.path()}));
    QCOMPARE(folder->text(), QStringLiteral("/"));
  }

  // The records layout: a fifth option stored under a key of its own, its
  // own controls enabled in it alone, and what they give the conversion.
  void RecordsKeepTheStoredHeaderModeAndHaveOptionsOfTheirOwn() {
    QLineEdit* tag = Line(texts::kRecordTagLabel);
    QWidget* keep = Find(texts::kKeepEmptyCheck);
    QWidget* schema = Find(texts::kWriteSchemaCheck);
    QVERIFY(tag != nullptr);
    QVERIFY(!tag->isEnabled() && !keep->isEnabled() && !schema->isEnabled());

    Click(texts::kBothHeadersOption);
    Click(texts::kRecordsOption);
    QCOMPARE(Stored("Records"), QStringLiteral("1"));
    QCOMPARE(Stored("Selection Properties"), QStringLiteral("3"));
    QVERIFY(tag->isEnabled() && keep->isEnabled() && schema->isEnabled());
    QVERIFY(!Find(texts::kEscapeTextCheck)->isEnabled());
    QVERIFY(!HierarchyEnabled());
    tag->selectAll();
    QTest::keyClicks(tag, "row");
    Click(texts::kKeepEmptyCheck);
    Click(texts::kWriteSchemaCheck);
    QCOMPARE(Stored("Record Tag"), QStringLiteral("row"));
    QCOMPARE(Stored("Keep Empty"), QStringLiteral("1"));
    QCOMPARE(Stored("Write Schema"), QStringLiteral("1"));
    ExportOptions options = settings_->Options();
    QVERIFY(options.records && options.keep_empty && options.schema);
    QVERIFY(options.title_tag && options.escape_text);
    QCOMPARE(options.record_tag, std::string("row"));

    // The stored choices come back at the next start.
    const auto restored = Restored();
    QVERIFY(restored->records_apply());
    QVERIFY(restored->Options().schema);
    QCOMPARE(restored->Options().record_tag, std::string("row"));

    // Another layout leaves the records' choices stored but unused.
    Click(texts::kHeaderColumnOption);
    QCOMPARE(Stored("Records"), QStringLiteral("0"));
    QCOMPARE(Stored("Selection Properties"), QStringLiteral("2"));
    options = settings_->Options();
    QVERIFY(!options.records && !options.keep_empty && !options.schema);
    QVERIFY(!tag->isEnabled() && Find(texts::kEscapeTextCheck)->isEnabled());
  }
};

QTEST_MAIN(ExportOptionsPanelTest)
#include "export_options_panel_test.moc"
