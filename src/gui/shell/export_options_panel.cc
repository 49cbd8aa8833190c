// SPDX-License-Identifier: MIT

#include "gui/shell/export_options_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>
#include <tuple>

#include "gui/common/translation.h"
#include "gui/common/ui_texts.h"
#include "gui/run/export_settings.h"

namespace kestrilo::gui {
namespace {

// The frames stand close together, as they always did, so that the window
// fits its designed size.
void Tighten(QBoxLayout* layout) {
  layout->setContentsMargins(8, 2, 8, 4);
  layout->setSpacing(2);
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

bool InColumn(OptionPlace place) {
  return place == OptionPlace::kCellOptions ||
         place == OptionPlace::kRecordOptions;
}

}  // namespace

ExportOptionsPanel::ExportOptionsPanel(ExportSettings& settings,
                                       Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), settings_(settings), dialogs_(dialogs) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  for (const ExportOptionRow& row : ExportOptionRows()) BuildRow(row);
  layout->addWidget(BuildOutputFolder());
  Show();
  for (const Control& control : controls_) Connect(control);
  connect(choose_folder_button_, &QPushButton::clicked, this,
          [this] { settings_.ChooseOutputFolder(dialogs_); });
  connect(output_folder_edit_, &QLineEdit::textChanged, &settings_,
          &ExportSettings::SetOutputFolder);
  connect(&settings_, &ExportSettings::Changed, this,
          &ExportOptionsPanel::Show);
}

QGroupBox* ExportOptionsPanel::MakeFrame(const char* caption) {
  auto* frame = new QGroupBox(Tr(caption), this);
  layout()->addWidget(frame);
  return frame;
}

void ExportOptionsPanel::BuildRow(const ExportOptionRow& row) {
  controls_.push_back({&row, {}, nullptr});
  switch (row.place) {
    case OptionPlace::kLayouts:
      if (layouts_frame_ == nullptr) {
        layouts_frame_ = MakeFrame(row.caption);
        auto* frame_layout = new QVBoxLayout(layouts_frame_);
        Tighten(frame_layout);
        // The options of the cells on the left, those of the records
        // beside them: the window keeps its designed size.
        auto* columns = new QWidget(layouts_frame_);
        columns_ = new QGridLayout(columns);
        columns_->setContentsMargins(0, 0, 0, 0);
        columns_->setVerticalSpacing(2);
        frame_layout->addWidget(columns);
      }
      AddRadios(row, layouts_frame_, layouts_frame_->layout());
      break;
    case OptionPlace::kCellOptions:
    case OptionPlace::kRecordOptions:
      AddToColumn(row, row.place == OptionPlace::kCellOptions ? 0 : 1);
      break;
    case OptionPlace::kHierarchy: {
      hierarchy_frame_ = MakeFrame(row.caption);
      auto* frame_layout = new QHBoxLayout(hierarchy_frame_);
      Tighten(frame_layout);
      controls_.back().frame = hierarchy_frame_;
      AddRadios(row, hierarchy_frame_, frame_layout);
      break;
    }
    case OptionPlace::kTitle: {
      title_frame_ = MakeFrame(row.caption);
      auto* frame_layout = new QHBoxLayout(title_frame_);
      Tighten(frame_layout);
      auto* edit = new QLineEdit(title_frame_);
      frame_layout->addWidget(edit, 3);
      controls_.back().widgets = {edit};
      frame_fields_.append({title_frame_, edit});
      title_frame_->installEventFilter(this);
      break;
    }
    case OptionPlace::kBesideTitle:
      AddLabelled(row, new QLineEdit(title_frame_), title_frame_,
                  title_frame_->layout());
      break;
  }
}

void ExportOptionsPanel::AddRadios(const ExportOptionRow& row, QGroupBox* frame,
                                   QLayout* layout) {
  Control& control = controls_.back();
  if (radio_groups_.isEmpty() ||
      radio_groups_.last().first()->parent() != frame) {
    radio_groups_.append(QList<QRadioButton*>());
  }
  const auto add = [&](const char* caption) {
    auto* option = new QRadioButton(Tr(caption), frame);
    // Above the columns of options, in the order of the table.
    if (auto* box = qobject_cast<QBoxLayout*>(layout);
        box != nullptr && frame == layouts_frame_) {
      box->insertWidget(box->count() - 1, option);
    } else {
      layout->addWidget(option);
    }
    control.widgets.append(option);
    radio_groups_.last().append(option);
  };
  if (row.kind == OptionKind::kChoice) {
    for (const OptionChoice& choice : row.choices) add(choice.caption);
  } else {
    add(row.caption);
  }
}

void ExportOptionsPanel::AddToColumn(const ExportOptionRow& row, int column) {
  QWidget* parent = columns_->parentWidget();
  const int at = column_rows_[column]++;
  if (row.kind == OptionKind::kCheck) {
    auto* check = new QCheckBox(Tr(row.caption), parent);
    columns_->addWidget(check, at, column);
    controls_.back().widgets = {check};
    return;
  }
  QWidget* field = nullptr;
  if (row.kind == OptionKind::kText) {
    field = new QLineEdit(parent);
  } else {
    auto* list = new QComboBox(parent);
    for (const OptionChoice& choice : row.choices) {
      list->addItem(Tr(choice.caption));
    }
    field = list;
  }
  auto* line = new QWidget(parent);
  auto* line_layout = new QHBoxLayout(line);
  line_layout->setContentsMargins(0, 0, 0, 0);
  AddLabelled(row, field, line, line_layout);
  columns_->addWidget(line, at, column);
}

void ExportOptionsPanel::AddLabelled(const ExportOptionRow& row, QWidget* field,
                                     QWidget* parent, QLayout* layout) {
  auto* label = new QLabel(Tr(row.caption), parent);
  label->setBuddy(field);
  field->setParent(parent);
  layout->addWidget(label);
  if (auto* box = qobject_cast<QBoxLayout*>(layout)) {
    box->addWidget(field, 2);
  } else {
    layout->addWidget(field);
  }
  controls_.back().widgets = {field};
  controls_.back().frame = label;
}

QGroupBox* ExportOptionsPanel::BuildOutputFolder() {
  output_folder_frame_ = new QGroupBox(Tr(texts::kOutputFolderGroup), this);
  auto* layout = new QHBoxLayout(output_folder_frame_);
  Tighten(layout);
  output_folder_edit_ = new QLineEdit(output_folder_frame_);
  choose_folder_button_ =
      new QPushButton(Tr(texts::kChooseFolderButton), output_folder_frame_);
  // "..." has no letter to underline: Alt+O stands in for one.
  choose_folder_button_->setShortcut(QKeySequence(Qt::ALT | Qt::Key_O));
  choose_folder_button_->setToolTip(Tr(texts::kChooseFolderToolTip));
  choose_folder_button_->setAccessibleName(Tr(texts::kChooseFolderName));
  layout->addWidget(output_folder_edit_, 1);
  layout->addWidget(choose_folder_button_);
  frame_fields_.append({output_folder_frame_, output_folder_edit_});
  output_folder_frame_->installEventFilter(this);
  return output_folder_frame_;
}

void ExportOptionsPanel::Connect(const Control& control) {
  const ExportOptionRow& row = *control.row;
  ExportSettings& s = settings_;
  if (auto* check = qobject_cast<QCheckBox*>(control.widgets.front())) {
    connect(check, &QCheckBox::toggled, this,
            [&s, &row](bool on) { s.Set(row, CheckValue(on)); });
  } else if (auto* edit = qobject_cast<QLineEdit*>(control.widgets.front())) {
    connect(edit, &QLineEdit::textChanged, this,
            [&s, &row](const QString& text) { s.Set(row, text); });
  } else if (auto* list = qobject_cast<QComboBox*>(control.widgets.front())) {
    connect(list, &QComboBox::currentIndexChanged, this, [&s, &row](int i) {
      if (i >= 0) s.Set(row, QString::fromUtf8(row.choices[i].code));
    });
  } else if (row.kind == OptionKind::kCheck) {
    // One more layout among the choices: chosen, it is on.
    connect(qobject_cast<QRadioButton*>(control.widgets.front()),
            &QRadioButton::toggled, this, [&s, &row](bool on) {
              if (on) s.Set(row, CheckValue(true));
            });
  } else {
    for (qsizetype i = 0; i < control.widgets.size(); ++i) {
      const QString code = QString::fromUtf8(row.choices[i].code);
      connect(qobject_cast<QRadioButton*>(control.widgets[i]),
              &QRadioButton::toggled, this, [this, &row, code](bool on) {
                if (!on) return;
                // A choice among the layouts turns off the other layout.
                for (const Control& other : controls_) {
                  if (other.row->place == row.place &&
                      other.row->kind == OptionKind::kCheck) {
                    settings_.Set(*other.row, CheckValue(false));
                  }
                }
                settings_.Set(row, code);
              });
    }
  }
}

void ExportOptionsPanel::Show() {
  // The controls follow the settings without reporting it back as a change.
  std::vector<QSignalBlocker> blockers;
  for (const Control& control : controls_) {
    for (QWidget* widget : control.widgets) blockers.emplace_back(widget);
  }
  blockers.emplace_back(output_folder_edit_);
  for (const Control& control : controls_) ShowControl(control);
  // Texts are set only when different, so that typing keeps the cursor
  // where it is.
  if (output_folder_edit_->text() != settings_.output_folder()) {
    output_folder_edit_->setText(settings_.output_folder());
  }
  for (const QList<QRadioButton*>& group : radio_groups_) {
    TabOnlyToChecked(group);
  }
}

void ExportOptionsPanel::ShowControl(const Control& control) {
  const ExportOptionRow& row = *control.row;
  const QString& value = settings_.Value(row);
  QWidget* first = control.widgets.front();
  if (auto* check = qobject_cast<QAbstractButton*>(first);
      check != nullptr && row.kind == OptionKind::kCheck) {
    // An option button is only ever checked: another one's check clears it.
    if (qobject_cast<QCheckBox*>(check) != nullptr ||
        value == CheckValue(true)) {
      check->setChecked(value == CheckValue(true));
    }
  } else if (auto* edit = qobject_cast<QLineEdit*>(first)) {
    if (edit->text() != value) edit->setText(value);
  } else if (row.kind == OptionKind::kChoice) {
    const auto chosen = std::find_if(
        row.choices.begin(), row.choices.end(),
        [&](const OptionChoice& choice) { return value == choice.code; });
    const int index = static_cast<int>(chosen - row.choices.begin());
    if (auto* list = qobject_cast<QComboBox*>(first)) {
      list->setCurrentIndex(index);
    } else if (index < control.widgets.size()) {
      // Among the layouts, a check that is on outranks the choice.
      const bool outranked = std::any_of(
          controls_.begin(), controls_.end(), [&](const Control& other) {
            return other.row->place == row.place &&
                   other.row->kind == OptionKind::kCheck &&
                   settings_.Value(*other.row) == CheckValue(true);
          });
      if (!outranked) {
        qobject_cast<QAbstractButton*>(control.widgets[index])
            ->setChecked(true);
      }
    }
  }
  // The layouts are always open to choice; the options of other layouts
  // keep their values, disabled.
  if (row.place == OptionPlace::kLayouts) return;
  const bool applies = settings_.Applies(row);
  if (control.frame != nullptr) control.frame->setEnabled(applies);
  for (QWidget* widget : control.widgets) widget->setEnabled(applies);
}

bool ExportOptionsPanel::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Shortcut) {
    for (const auto& [frame, field] : frame_fields_) {
      if (frame == watched) {
        field->setFocus(Qt::ShortcutFocusReason);
        return true;
      }
    }
  }
  return QWidget::eventFilter(watched, event);
}

QList<QWidget*> ExportOptionsPanel::frames() const {
  QList<QWidget*> frames;
  for (QWidget* frame : {static_cast<QWidget*>(layouts_frame_),
                         static_cast<QWidget*>(hierarchy_frame_),
                         static_cast<QWidget*>(title_frame_),
                         static_cast<QWidget*>(output_folder_frame_)}) {
    if (frame != nullptr) frames.append(frame);
  }
  return frames;
}

QList<QWidget*> ExportOptionsPanel::options() const {
  QList<QWidget*> options;
  for (const QList<QRadioButton*>& group : radio_groups_) {
    options += QList<QWidget*>(group.begin(), group.end());
  }
  options.append(output_folder_edit_);
  return options;
}

QList<QWidget*> ExportOptionsPanel::tab_order() const {
  // Top to bottom, and within the columns of options row by row.
  struct Stop {
    int section;
    int row;
    int column;
    QWidget* widget;
  };
  std::vector<Stop> stops;
  for (const Control& control : controls_) {
    const OptionPlace place = control.row->place;
    for (QWidget* widget : control.widgets) {
      int row = 0;
      int column = 0;
      if (InColumn(place)) {
        QWidget* cell = widget->parentWidget() == columns_->parentWidget()
                            ? widget
                            : widget->parentWidget();
        int row_span = 0;
        int column_span = 0;
        columns_->getItemPosition(columns_->indexOf(cell), &row, &column,
                                  &row_span, &column_span);
      }
      // The places in the order they stand; the two columns as one.
      const int section = InColumn(place) ? 1 : static_cast<int>(place);
      stops.push_back({section, row, column, widget});
    }
  }
  std::stable_sort(stops.begin(), stops.end(),
                   [](const Stop& a, const Stop& b) {
                     return std::tie(a.section, a.row, a.column) <
                            std::tie(b.section, b.row, b.column);
                   });
  QList<QWidget*> order;
  for (const Stop& stop : stops) order.append(stop.widget);
  order += {output_folder_edit_, choose_folder_button_};
  return order;
}

}  // namespace kestrilo::gui
