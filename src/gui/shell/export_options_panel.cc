// SPDX-License-Identifier: MIT

#include "gui/shell/export_options_panel.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <vector>

#include "gui/common/translation.h"
#include "gui/common/ui_texts.h"
#include "gui/run/export_settings.h"

namespace kestrilo::gui {
namespace {

using HeaderMode = ExportSettings::HeaderMode;

struct HeaderModeOption {
  HeaderMode mode;
  const char* role;
  const char* caption;
};

// In the order of their codes, 1 at the top.
constexpr HeaderModeOption kHeaderModes[] = {
    {HeaderMode::kHeaderRow, "header_row_option", texts::kHeaderRowOption},
    {HeaderMode::kHeaderColumn, "header_column_option",
     texts::kHeaderColumnOption},
    {HeaderMode::kBothHeaders, "both_headers_option",
     texts::kBothHeadersOption},
    {HeaderMode::kNoHeaders, "no_headers_option", texts::kNoHeadersOption},
    {HeaderMode::kRecords, "records_option", texts::kRecordsOption},
};

// The frames stand close together, as they always did, so that the window
// fits its designed size.
void Tighten(QBoxLayout* layout) {
  layout->setContentsMargins(8, 2, 8, 4);
  layout->setSpacing(2);
}

template <typename Widget>
Widget* Make(QWidget* parent, const char* role, const QString& text = {}) {
  auto* widget = new Widget(text, parent);
  widget->setObjectName(QString::fromLatin1(role));
  return widget;
}

// A column of check boxes, one under the other.
QWidget* CheckColumn(QWidget* parent) {
  auto* column = new QWidget(parent);
  auto* layout = new QVBoxLayout(column);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  return column;
}

// Tab enters a group of options on the checked one, never on another, so
// that a Space typed next cannot change the choice by accident; the arrow
// keys still move between them.
void TabOnlyToChecked(const QList<QRadioButton*>& group) {
  for (QRadioButton* option : group) {
    option->setFocusPolicy(option->isChecked() ? Qt::StrongFocus
                                               : Qt::ClickFocus);
  }
}

}  // namespace

ExportOptionsPanel::ExportOptionsPanel(ExportSettings& settings,
                                       Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), settings_(settings), dialogs_(dialogs) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(BuildHeaderModes());
  layout->addWidget(BuildHierarchy());
  layout->addWidget(BuildTitle());
  layout->addWidget(BuildOutputFolder());
  Show();
  Connect();
}

QGroupBox* ExportOptionsPanel::BuildHeaderModes() {
  header_mode_group_ =
      Make<QGroupBox>(this, "header_mode_group", Tr(texts::kHeaderModeGroup));
  auto* layout = new QVBoxLayout(header_mode_group_);
  Tighten(layout);
  for (const HeaderModeOption& option : kHeaderModes) {
    header_options_.append(Make<QRadioButton>(header_mode_group_, option.role,
                                              Tr(option.caption)));
    layout->addWidget(header_options_.last());
  }
  // The checks of the four layouts on the left, those of the records
  // layout beside them: the window keeps its designed size.
  auto* checks = new QWidget(header_mode_group_);
  auto* row = new QHBoxLayout(checks);
  row->setContentsMargins(0, 0, 0, 0);
  QWidget* cells = CheckColumn(checks);
  QWidget* records = CheckColumn(checks);
  escape_text_check_ =
      Make<QCheckBox>(cells, "escape_text_check", Tr(texts::kEscapeTextCheck));
  valid_names_check_ =
      Make<QCheckBox>(cells, "valid_names_check", Tr(texts::kValidNamesCheck));
  keep_empty_check_ =
      Make<QCheckBox>(records, "keep_empty_check", Tr(texts::kKeepEmptyCheck));
  write_schema_check_ = Make<QCheckBox>(records, "write_schema_check",
                                        Tr(texts::kWriteSchemaCheck));
  as_displayed_check_ = Make<QCheckBox>(cells, "as_displayed_check",
                                        Tr(texts::kAsDisplayedCheck));
  for (QCheckBox* check :
       {escape_text_check_, valid_names_check_, as_displayed_check_,
        keep_empty_check_, write_schema_check_}) {
    check->parentWidget()->layout()->addWidget(check);
  }
  row->addWidget(cells, 1);
  row->addWidget(records, 1);
  layout->addWidget(checks);
  return header_mode_group_;
}

QGroupBox* ExportOptionsPanel::BuildHierarchy() {
  hierarchy_group_ =
      Make<QGroupBox>(this, "hierarchy_group", Tr(texts::kHierarchyGroup));
  auto* layout = new QHBoxLayout(hierarchy_group_);
  Tighten(layout);
  row_first_option_ = Make<QRadioButton>(hierarchy_group_, "row_first_option",
                                         Tr(texts::kRowFirstOption));
  column_first_option_ = Make<QRadioButton>(
      hierarchy_group_, "column_first_option", Tr(texts::kColumnFirstOption));
  layout->addWidget(row_first_option_);
  layout->addWidget(column_first_option_);
  return hierarchy_group_;
}

QGroupBox* ExportOptionsPanel::BuildTitle() {
  title_group_ = Make<QGroupBox>(this, "title_group", Tr(texts::kTitleGroup));
  auto* layout = new QHBoxLayout(title_group_);
  Tighten(layout);
  title_edit_ = Make<QLineEdit>(title_group_, "title_edit");
  // The tag of each record, the level below the title, in the records
  // layout.
  record_tag_label_ = Make<QLabel>(title_group_, "record_tag_label",
                                   Tr(texts::kRecordTagLabel));
  record_tag_edit_ = Make<QLineEdit>(title_group_, "record_tag_edit");
  record_tag_label_->setBuddy(record_tag_edit_);
  layout->addWidget(title_edit_, 3);
  layout->addWidget(record_tag_label_);
  layout->addWidget(record_tag_edit_, 2);
  return title_group_;
}

QGroupBox* ExportOptionsPanel::BuildOutputFolder() {
  output_folder_group_ = Make<QGroupBox>(this, "output_folder_group",
                                         Tr(texts::kOutputFolderGroup));
  auto* layout = new QHBoxLayout(output_folder_group_);
  Tighten(layout);
  output_folder_edit_ =
      Make<QLineEdit>(output_folder_group_, "output_folder_edit");
  choose_folder_button_ =
      Make<QPushButton>(output_folder_group_, "choose_folder_button",
                        Tr(texts::kChooseFolderButton));
  // "..." has no letter to underline: Alt+O stands in for one.
  choose_folder_button_->setShortcut(QKeySequence(Qt::ALT | Qt::Key_O));
  choose_folder_button_->setToolTip(Tr(texts::kChooseFolderToolTip));
  choose_folder_button_->setAccessibleName(Tr(texts::kChooseFolderName));
  layout->addWidget(output_folder_edit_, 1);
  layout->addWidget(choose_folder_button_);
  return output_folder_group_;
}

void ExportOptionsPanel::Connect() {
  const auto on_check = [this](QRadioButton* option, auto apply) {
    connect(option, &QRadioButton::toggled, this, [apply](bool on) {
      if (on) apply();
    });
  };
  ExportSettings& s = settings_;
  for (qsizetype i = 0; i < header_options_.size(); ++i) {
    const HeaderMode mode = kHeaderModes[i].mode;
    on_check(header_options_[i], [&s, mode] { s.SetHeaderMode(mode); });
  }
  on_check(row_first_option_, [&s] { s.SetRowFirst(true); });
  on_check(column_first_option_, [&s] { s.SetRowFirst(false); });
  connect(escape_text_check_, &QCheckBox::toggled, &s,
          &ExportSettings::SetEscapeText);
  connect(valid_names_check_, &QCheckBox::toggled, &s,
          &ExportSettings::SetValidNames);
  connect(record_tag_edit_, &QLineEdit::textChanged, &s,
          &ExportSettings::SetRecordTag);
  connect(keep_empty_check_, &QCheckBox::toggled, &s,
          &ExportSettings::SetKeepEmpty);
  connect(write_schema_check_, &QCheckBox::toggled, &s,
          &ExportSettings::SetWriteSchema);
  connect(as_displayed_check_, &QCheckBox::toggled, &s,
          &ExportSettings::SetAsDisplayed);
  connect(title_edit_, &QLineEdit::textChanged, &s, &ExportSettings::SetTitle);
  connect(output_folder_edit_, &QLineEdit::textChanged, &s,
          &ExportSettings::SetOutputFolder);
  connect(choose_folder_button_, &QPushButton::clicked, this,
          [this] { settings_.ChooseOutputFolder(dialogs_); });
  connect(&s, &ExportSettings::Changed, this, &ExportOptionsPanel::Show);
}

void ExportOptionsPanel::Show() {
  // The controls follow the settings without reporting it back as a change.
  std::vector<QSignalBlocker> blockers;
  for (QObject* control : options()) blockers.emplace_back(control);
  for (QObject* control : std::initializer_list<QObject*>{
           escape_text_check_, valid_names_check_, as_displayed_check_,
           record_tag_edit_, keep_empty_check_, write_schema_check_}) {
    blockers.emplace_back(control);
  }
  for (qsizetype i = 0; i < header_options_.size(); ++i) {
    header_options_[i]->setChecked(kHeaderModes[i].mode ==
                                   settings_.header_mode());
  }
  (settings_.row_first() ? row_first_option_ : column_first_option_)
      ->setChecked(true);
  // Disabling keeps the choice, which stays in the options.
  hierarchy_group_->setEnabled(settings_.hierarchy_applies());
  escape_text_check_->setChecked(settings_.escape_text());
  valid_names_check_->setChecked(settings_.valid_names());
  // Records are always escaped with valid names; their own options apply
  // to them alone.
  const bool records = settings_.records_apply();
  escape_text_check_->setEnabled(!records);
  valid_names_check_->setEnabled(!records);
  for (QWidget* control : {static_cast<QWidget*>(record_tag_label_),
                           static_cast<QWidget*>(record_tag_edit_),
                           static_cast<QWidget*>(keep_empty_check_),
                           static_cast<QWidget*>(write_schema_check_)}) {
    control->setEnabled(records);
  }
  keep_empty_check_->setChecked(settings_.keep_empty());
  write_schema_check_->setChecked(settings_.write_schema());
  if (record_tag_edit_->text() != settings_.record_tag()) {
    record_tag_edit_->setText(settings_.record_tag());
  }
  as_displayed_check_->setChecked(settings_.as_displayed());
  // Texts are set only when different, so that typing keeps the cursor
  // where it is.
  if (title_edit_->text() != settings_.title()) {
    title_edit_->setText(settings_.title());
  }
  if (output_folder_edit_->text() != settings_.output_folder()) {
    output_folder_edit_->setText(settings_.output_folder());
  }
  TabOnlyToChecked(header_options_);
  TabOnlyToChecked({row_first_option_, column_first_option_});
}

QList<QWidget*> ExportOptionsPanel::frames() const {
  return {header_mode_group_, hierarchy_group_, title_group_,
          output_folder_group_};
}

QList<QWidget*> ExportOptionsPanel::options() const {
  QList<QWidget*> options(header_options_.begin(), header_options_.end());
  options += {row_first_option_, column_first_option_, output_folder_edit_};
  return options;
}

QList<QWidget*> ExportOptionsPanel::tab_order() const {
  QList<QWidget*> order(header_options_.begin(), header_options_.end());
  order += {escape_text_check_,   keep_empty_check_,    valid_names_check_,
            write_schema_check_,  as_displayed_check_,  row_first_option_,
            column_first_option_, title_edit_,          record_tag_edit_,
            output_folder_edit_,  choose_folder_button_};
  return order;
}

}  // namespace kestrilo::gui
