#include "gui/shell/export_options_panel.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "gui/run/export_settings.h"

namespace kestrilo::gui {
namespace {

using HeaderMode = ExportSettings::HeaderMode;

template <typename Widget>
Widget* Make(QWidget* parent, const char* role, const QString& text = {}) {
  auto* widget = new Widget(text, parent);
  widget->setObjectName(QString::fromLatin1(role));
  return widget;
}

// Tab enters a group of options on the checked one, never on another, so
// that a Space typed next cannot change the choice by accident; the arrow
// keys still move between them.
void TabOnlyToChecked(std::initializer_list<QRadioButton*> group) {
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
      Make<QGroupBox>(this, "header_mode_group", QStringLiteral("Options"));
  auto* layout = new QVBoxLayout(header_mode_group_);
  // In the order of their codes, 1 at the top.
  header_row_option_ = Make<QRadioButton>(
      header_mode_group_, "header_row_option",
      QStringLiteral("First row in the selection is a header row"));
  header_column_option_ = Make<QRadioButton>(
      header_mode_group_, "header_column_option",
      QStringLiteral("First column in the selection is a header column"));
  both_headers_option_ = Make<QRadioButton>(
      header_mode_group_, "both_headers_option",
      QStringLiteral("First row and column in the selection are headers"));
  no_headers_option_ = Make<QRadioButton>(
      header_mode_group_, "no_headers_option",
      QStringLiteral("There are no headers in the selection"));
  escape_text_check_ =
      Make<QCheckBox>(header_mode_group_, "escape_text_check",
                      QStringLiteral("Escape &&, < and > in cell text"));
  for (QWidget* control : {static_cast<QWidget*>(header_row_option_),
                           static_cast<QWidget*>(header_column_option_),
                           static_cast<QWidget*>(both_headers_option_),
                           static_cast<QWidget*>(no_headers_option_),
                           static_cast<QWidget*>(escape_text_check_)}) {
    layout->addWidget(control);
  }
  return header_mode_group_;
}

QGroupBox* ExportOptionsPanel::BuildHierarchy() {
  hierarchy_group_ = Make<QGroupBox>(
      this, "hierarchy_group", QStringLiteral("Flip Row-Column Hierarchy"));
  auto* layout = new QHBoxLayout(hierarchy_group_);
  row_first_option_ = Make<QRadioButton>(hierarchy_group_, "row_first_option",
                                         QStringLiteral("Row First"));
  column_first_option_ = Make<QRadioButton>(
      hierarchy_group_, "column_first_option", QStringLiteral("Column First"));
  layout->addWidget(row_first_option_);
  layout->addWidget(column_first_option_);
  return hierarchy_group_;
}

QGroupBox* ExportOptionsPanel::BuildTitle() {
  title_group_ = Make<QGroupBox>(
      this, "title_group",
      QStringLiteral("Title - This will appear as the first and last tag"));
  auto* layout = new QHBoxLayout(title_group_);
  title_edit_ = Make<QLineEdit>(title_group_, "title_edit");
  layout->addWidget(title_edit_);
  return title_group_;
}

QGroupBox* ExportOptionsPanel::BuildOutputFolder() {
  output_folder_group_ =
      Make<QGroupBox>(this, "output_folder_group",
                      QStringLiteral("Save Results To This Folder"));
  auto* layout = new QHBoxLayout(output_folder_group_);
  output_folder_edit_ =
      Make<QLineEdit>(output_folder_group_, "output_folder_edit");
  choose_folder_button_ = Make<QPushButton>(
      output_folder_group_, "choose_folder_button", QStringLiteral("..."));
  choose_folder_button_->setShortcut(QKeySequence(Qt::ALT | Qt::Key_O));
  choose_folder_button_->setToolTip(
      QStringLiteral("Choose the output folder (Alt+O)"));
  choose_folder_button_->setAccessibleName(
      QStringLiteral("Choose the output folder"));
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
  on_check(header_row_option_, [&s] { s.SetHeaderMode(HeaderMode::kHeaderRow); });
  on_check(header_column_option_,
           [&s] { s.SetHeaderMode(HeaderMode::kHeaderColumn); });
  on_check(both_headers_option_,
           [&s] { s.SetHeaderMode(HeaderMode::kBothHeaders); });
  on_check(no_headers_option_,
           [&s] { s.SetHeaderMode(HeaderMode::kNoHeaders); });
  on_check(row_first_option_, [&s] { s.SetRowFirst(true); });
  on_check(column_first_option_, [&s] { s.SetRowFirst(false); });
  connect(escape_text_check_, &QCheckBox::toggled, &s,
          &ExportSettings::SetEscapeText);
  connect(title_edit_, &QLineEdit::textChanged, &s, &ExportSettings::SetTitle);
  connect(output_folder_edit_, &QLineEdit::textChanged, &s,
          &ExportSettings::SetOutputFolder);
  connect(choose_folder_button_, &QPushButton::clicked, this,
          [this] { settings_.ChooseOutputFolder(dialogs_); });
  connect(&s, &ExportSettings::Changed, this, &ExportOptionsPanel::Show);
}

void ExportOptionsPanel::Show() {
  const QSignalBlocker blockers[] = {
      QSignalBlocker(header_row_option_),  QSignalBlocker(header_column_option_),
      QSignalBlocker(both_headers_option_), QSignalBlocker(no_headers_option_),
      QSignalBlocker(row_first_option_),   QSignalBlocker(column_first_option_),
      QSignalBlocker(escape_text_check_)};
  const HeaderMode mode = settings_.header_mode();
  header_row_option_->setChecked(mode == HeaderMode::kHeaderRow);
  header_column_option_->setChecked(mode == HeaderMode::kHeaderColumn);
  both_headers_option_->setChecked(mode == HeaderMode::kBothHeaders);
  no_headers_option_->setChecked(mode == HeaderMode::kNoHeaders);
  (settings_.row_first() ? row_first_option_ : column_first_option_)
      ->setChecked(true);
  // Disabling keeps the choice, which stays in the options.
  hierarchy_group_->setEnabled(settings_.hierarchy_applies());
  escape_text_check_->setChecked(settings_.escape_text());
  // Set only when different, so that typing keeps the cursor where it is.
  if (title_edit_->text() != settings_.title()) {
    title_edit_->setText(settings_.title());
  }
  if (output_folder_edit_->text() != settings_.output_folder()) {
    output_folder_edit_->setText(settings_.output_folder());
  }
  TabOnlyToChecked({header_row_option_, header_column_option_,
                    both_headers_option_, no_headers_option_});
  TabOnlyToChecked({row_first_option_, column_first_option_});
}

QList<QWidget*> ExportOptionsPanel::frames() const {
  return {header_mode_group_, hierarchy_group_, title_group_,
          output_folder_group_};
}

QList<QWidget*> ExportOptionsPanel::options() const {
  return {header_row_option_,   header_column_option_, both_headers_option_,
          no_headers_option_,   row_first_option_,     column_first_option_,
          output_folder_edit_};
}

QList<QWidget*> ExportOptionsPanel::tab_order() const {
  return {header_row_option_,   header_column_option_, both_headers_option_,
          no_headers_option_,   escape_text_check_,    row_first_option_,
          column_first_option_, title_edit_,           output_folder_edit_,
          choose_folder_button_};
}

}  // namespace kestrilo::gui
