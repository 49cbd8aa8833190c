// SPDX-License-Identifier: MIT
// The export options as the user changes them: each choice stored at once
// under its old name and code, the hierarchy enabled only where it
// matters, the texts stored on every keystroke, and the folder chooser.

#include "gui/shell/export_options_panel.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <memory>

#include "gui/common/step_guard.h"
#include "gui/run/export_settings.h"
#include "gui_fakes.h"

using namespace kestrilo;
using namespace kestrilo::gui;
using namespace kestrilo::testing;

namespace {

// A caption as shown: "&&" is an "&", a lone "&" marks the access key.
QString Caption(QString text) {
  return text.replace("&&", "\x01").remove('&').replace("\x01", "&");
}

}  // namespace

class ExportOptionsPanelTest : public QObject {
  Q_OBJECT

 private:
  ScriptedDialogs dialogs_;
  std::unique_ptr<ExportSettings> settings_;
  std::unique_ptr<ExportOptionsPanel> panel_;

  template <typename Widget = QAbstractButton>
  Widget* Find(const char* role) {
    auto* widget = panel_->findChild<Widget*>(QString::fromLatin1(role));
    if (widget == nullptr) qFatal("no control %s", role);
    return widget;
  }
  // Option buttons and check boxes take clicks on their mark and caption.
  void Click(const char* role) {
    QAbstractButton* button = Find(role);
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier,
                      QPoint(6, button->height() / 2));
  }
  bool HierarchyEnabled() {
    const bool row_first = Find("row_first_option")->isEnabled();
    if (Find("column_first_option")->isEnabled() != row_first) {
      qFatal("hierarchy options disagree");
    }
    return row_first;
  }
  QString Stored(const char* name) { return StoredSetting(name).toString(); }

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
    const Mode modes[] = {{"header_column_option", "2", false, true, false},
                          {"both_headers_option", "3", true, true, true},
                          {"no_headers_option", "4", false, false, true},
                          {"header_row_option", "1", true, false, false}};
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
    Click("no_headers_option");
    Click("column_first_option");
    QCOMPARE(Stored("Flip Row"), QStringLiteral("2"));
    Click("header_column_option");
    QVERIFY(!HierarchyEnabled());
    QVERIFY(Find("column_first_option")->isChecked());
    QVERIFY(!settings_->Options().row_first);
    Click("both_headers_option");
    Click("row_first_option");
    QCOMPARE(Stored("Flip Row"), QStringLiteral("1"));
    QCOMPARE(Stored("Selection Properties"), QStringLiteral("3"));
  }

  void TextsAreStoredOnEveryChange() {
    auto* title = Find<QLineEdit>("title_edit");
    title->selectAll();
    QTest::keyClick(title, Qt::Key_Delete);
    QCOMPARE(Stored("Title"), QString());
    QTest::keyClicks(title, "Ab c");
    QCOMPARE(Stored("Title"), QStringLiteral("Ab c"));
    QCOMPARE(settings_->Options().title, std::string("Ab c"));
    auto* folder = Find<QLineEdit>("output_folder_edit");
    folder->clear();
    QTest::keyClicks(folder, "/o");
    QCOMPARE(Stored("Output Folder"), QStringLiteral("/o"));
    Click("escape_text_check");
    QCOMPARE(Stored("Escape Text"), QStringLiteral("0"));
    QVERIFY(!settings_->Options().escape_text);
    // A change from elsewhere shows in the controls.
    settings_->SetTitle("Set elsewhere");
    QCOMPARE(title->text(), QStringLiteral("Set elsewhere"));
  }

  void ValidNamesCheckSitsUnderEscapingAndIsStored() {
    QCheckBox* valid = nullptr;
    for (QCheckBox* box : panel_->findChildren<QCheckBox*>()) {
      if (Caption(box->text()) == QStringLiteral("Make tag names valid XML")) {
        valid = box;
      }
    }
    QVERIFY(valid != nullptr);
    // Directly under the escape option, in the same group.
    QCheckBox* escape = Find<QCheckBox>("escape_text_check");
    QCOMPARE(valid->parentWidget(), escape->parentWidget());
    QLayout* layout = escape->parentWidget()->layout();
    QCOMPARE(layout->indexOf(valid), layout->indexOf(escape) + 1);
    // On by default, and nothing stored until the user changes it.
    QVERIFY(valid->isChecked());
    QVERIFY(settings_->Options().valid_names);
    QVERIFY(!StoredSetting("Valid Names").isValid());
    QTest::mouseClick(valid, Qt::LeftButton, Qt::NoModifier,
                      QPoint(6, valid->height() / 2));
    QCOMPARE(Stored("Valid Names"), QStringLiteral("0"));
    QVERIFY(!settings_->Options().valid_names);
    QVERIFY(settings_->Options().escape_text);
    // The stored choice comes back at the next start, off as well as on.
    for (bool stored : {false, true}) {
      settings_->SetValidNames(stored);
      QCOMPARE(valid->isChecked(), stored);
      QCOMPARE(Stored("Valid Names"),
               stored ? QStringLiteral("1") : QStringLiteral("0"));
      ExportSettings restored;
      StepGuard guard(dialogs_);
      restored.Restore(guard);
      QCOMPARE(restored.valid_names(), stored);
    }
  }

  void AsDisplayedCheckTakesItsAccessKeyAndIsStored() {
    QCheckBox* displayed = nullptr;
    for (QCheckBox* box : panel_->findChildren<QCheckBox*>()) {
      if (box->text() == QStringLiteral("Write cells as the&y are displayed")) {
        displayed = box;
      }
    }
    QVERIFY(displayed != nullptr);
    // Off by default, and nothing stored until the user changes it.
    QVERIFY(!displayed->isChecked());
    QVERIFY(!settings_->Options().as_displayed);
    QVERIFY(!StoredSetting("As Displayed").isValid());
    // Alt+Y, the underlined letter, turns it on as a click would.
    panel_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(panel_.get()));
    QTest::keyClick(panel_.get(), Qt::Key_Y, Qt::AltModifier);
    // A button clicks a moment after its key, as its press is shown.
    QTRY_VERIFY(displayed->isChecked());
    QCOMPARE(Stored("As Displayed"), QStringLiteral("1"));
    QVERIFY(settings_->Options().as_displayed);
    ExportSettings restored;
    StepGuard guard(dialogs_);
    restored.Restore(guard);
    QVERIFY(restored.as_displayed());
    settings_->SetAsDisplayed(false);
    QVERIFY(!displayed->isChecked());
    QCOMPARE(Stored("As Displayed"), QStringLiteral("0"));
  }

  void FolderChooserCancelsOrGivesOneSeparator() {
    const QString before = Find<QLineEdit>("output_folder_edit")->text();
    dialogs_.folders = {QString(), "/srv/Reports", "/"};
    Click("choose_folder_button");
    QCOMPARE(dialogs_.Texts("folder"), QStringList{"Please select folder:"});
    QCOMPARE(Find<QLineEdit>("output_folder_edit")->text(), before);
    QVERIFY(!StoredSetting("LastFolderDot").isValid());
    Click("choose_folder_button");
    QCOMPARE(Find<QLineEdit>("output_folder_edit")->text(),
             QStringLiteral("/srv/Reports/"));
    QCOMPARE(Stored("Output Folder"), QStringLiteral("/srv/Reports/"));
    QCOMPARE(Stored("LastFolderDot"), QStringLiteral("/srv/Reports"));
    // The next chooser opens there; a root keeps its one separator.
    Click("choose_folder_button");
    QCOMPARE(dialogs_.start_folders,
             (QStringList{QString(), QString(), "/srv/Reports"}));
    QCOMPARE(Find<QLineEdit>("output_folder_edit")->text(),
             QStringLiteral("/"));
  }

  // The records layout: a fifth option stored under a key of its own, its
  // own controls enabled in it alone, and what they give the conversion.
  void RecordsKeepTheStoredHeaderModeAndHaveOptionsOfTheirOwn() {
    const auto with_text = [this](const QString& text) {
      for (QWidget* widget : panel_->findChildren<QWidget*>()) {
        const auto* button = qobject_cast<QAbstractButton*>(widget);
        const auto* label = qobject_cast<QLabel*>(widget);
        if ((button != nullptr && Caption(button->text()) == text) ||
            (label != nullptr && Caption(label->text()) == text)) {
          return widget;
        }
      }
      qFatal("no control %s", qPrintable(text));
    };
    const auto click = [](QWidget* button) {
      QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier,
                        QPoint(6, button->height() / 2));
    };
    QWidget* records = with_text(QStringLiteral(
        "Each row is a record; headers give its shape (@attribute, "
        "parent/child)"));
    auto* tag = qobject_cast<QLineEdit*>(
        qobject_cast<QLabel*>(with_text(QStringLiteral("Record tag")))
            ->buddy());
    QWidget* keep =
        with_text(QStringLiteral("Keep empty attributes and elements"));
    QWidget* schema =
        with_text(QStringLiteral("Write an XML Schema beside each file"));
    QVERIFY(tag != nullptr);
    QVERIFY(!tag->isEnabled() && !keep->isEnabled() && !schema->isEnabled());

    Click("both_headers_option");
    click(records);
    QCOMPARE(Stored("Records"), QStringLiteral("1"));
    QCOMPARE(Stored("Selection Properties"), QStringLiteral("3"));
    QVERIFY(tag->isEnabled() && keep->isEnabled() && schema->isEnabled());
    QVERIFY(!Find("escape_text_check")->isEnabled());
    QVERIFY(!HierarchyEnabled());
    tag->selectAll();
    QTest::keyClicks(tag, "row");
    click(keep);
    click(schema);
    QCOMPARE(Stored("Record Tag"), QStringLiteral("row"));
    QCOMPARE(Stored("Keep Empty"), QStringLiteral("1"));
    QCOMPARE(Stored("Write Schema"), QStringLiteral("1"));
    ExportOptions options = settings_->Options();
    QVERIFY(options.records && options.keep_empty && options.schema);
    QVERIFY(options.title_tag && options.escape_text);
    QCOMPARE(options.record_tag, std::string("row"));

    // The stored choices come back at the next start.
    ExportSettings restored;
    StepGuard guard(dialogs_);
    restored.Restore(guard);
    QVERIFY(restored.records_apply() && restored.write_schema());
    QCOMPARE(restored.record_tag(), QStringLiteral("row"));

    // Another layout leaves the records' choices stored but unused.
    Click("header_column_option");
    QCOMPARE(Stored("Records"), QStringLiteral("0"));
    QCOMPARE(Stored("Selection Properties"), QStringLiteral("2"));
    options = settings_->Options();
    QVERIFY(!options.records && !options.keep_empty && !options.schema);
    QVERIFY(!tag->isEnabled() && Find("escape_text_check")->isEnabled());
  }
};

QTEST_MAIN(ExportOptionsPanelTest)
#include "export_options_panel_test.moc"
