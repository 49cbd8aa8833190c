// SPDX-License-Identifier: MIT

#include "gui/spreadsheet/range_prompt.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/common/translation.h"
#include "gui/common/ui_texts.h"
#include "gui/spreadsheet/elided_label.h"
#include "gui/spreadsheet/sheet_grid.h"
#include "gui/spreadsheet/xml_preview_pane.h"

namespace kestrilo::gui {

namespace {

// A key that types the start of an address or a sheet name: a printable
// character without Ctrl, Alt or Meta (Shift still extends a selection
// with the arrow keys, which type nothing).
bool StartsAnAddress(const QKeyEvent& key) {
  if (key.modifiers() &
      (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
    return false;
  }
  const QString text = key.text();
  return !text.isEmpty() && text.at(0).isPrint() && !text.at(0).isSpace();
}

}  // namespace

RangePrompt::RangePrompt(SheetGrid* grid, SelectFunction select,
                         ResolveFunction resolve, QWidget* parent)
    : QWidget(parent),
      grid_(grid),
      select_(std::move(select)),
      resolve_(std::move(resolve)),
      run_position_(new ElidedLabel(this)),
      field_(new QLineEdit(this)),
      message_(new QLabel(this)),
      ok_(new QPushButton(Tr(texts::kPromptOk), this)),
      cancel_(new QPushButton(Tr(texts::kPromptCancel), this)),
      stop_run_(new QPushButton(Tr(texts::kStopRunButton), this)),
      preview_(new XmlPreviewPane(this)) {
  setObjectName(QStringLiteral("rangePrompt"));
  run_position_->setObjectName(QStringLiteral("runPosition"));
  QFont bold = run_position_->font();
  bold.setBold(true);
  run_position_->setFont(bold);
  run_position_->hide();
  auto* instruction = new QLabel(Tr(texts::kPromptInstruction), this);
  instruction->setObjectName(QStringLiteral("instruction"));
  field_->setAccessibleName(Tr(texts::kPromptFieldName));
  message_->setObjectName(QStringLiteral("addressMessage"));
  message_->setStyleSheet(QStringLiteral("color: #b3261e;"));
  message_->setWordWrap(true);  // it may quote a long name
  message_->hide();

  auto* buttons = new QHBoxLayout;
  // Apart from OK and Cancel, which answer for this workbook alone.
  buttons->addWidget(stop_run_);
  buttons->addStretch();
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  stop_run_->hide();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(run_position_);
  layout->addWidget(instruction);
  layout->addWidget(field_);
  layout->addWidget(message_);
  layout->addLayout(buttons);
  layout->addWidget(preview_, 1);

  connect(ok_, &QPushButton::clicked, this, &RangePrompt::Confirm);
  connect(cancel_, &QPushButton::clicked, this, &RangePrompt::Cancelled);
  connect(stop_run_, &QPushButton::clicked, this, [this] {
    // Later: the call may end the prompt, this button with it.
    QMetaObject::invokeMethod(
        this,
        [this] {
          if (stop_run_call_) stop_run_call_();
        },
        Qt::QueuedConnection);
  });
  connect(field_, &QLineEdit::returnPressed, this, &RangePrompt::Confirm);
  connect(field_, &QLineEdit::textEdited, this, &RangePrompt::SelectTyped);
  connect(grid_, &SheetGrid::SelectionChanged, this,
          &RangePrompt::FollowSelection);
  grid_->installEventFilter(this);
  FollowSelection();
}

void RangePrompt::SetRunPosition(int position, int count,
                                 const QString& file_name) {
  run_position_->SetNamedText(Tr(texts::kRunPosition).arg(position).arg(count),
                              file_name);
  run_position_->setVisible(!file_name.isEmpty());
}

void RangePrompt::SetStopRun(std::function<void()> stop_run) {
  stop_run_call_ = std::move(stop_run);
  stop_run_->setVisible(static_cast<bool>(stop_run_call_));
}

bool RangePrompt::eventFilter(QObject* watched, QEvent* event) {
  // After selecting with the mouse the keyboard is in the grid: Enter and
  // Escape answer the prompt there too, as spreadsheets' prompts do.
  if (watched == grid_ && event->type() == QEvent::KeyPress && isVisible()) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (StartsAnAddress(*key)) {
      // Typing while the grid has the keyboard begins a new address in the
      // field, as typing a reference into a spreadsheet's prompt does.
      field_->setFocus(Qt::OtherFocusReason);
      field_->clear();
      QCoreApplication::sendEvent(field_, key);
      return true;
    }
    switch (key->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter:
        Confirm();
        return true;
      case Qt::Key_Escape:
        emit Cancelled();
        return true;
      default:
        break;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void RangePrompt::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    emit Cancelled();
    return;
  }
  QWidget::keyPressEvent(event);
}

std::optional<std::string> RangePrompt::Address() const {
  const std::optional<RangeAddress> address = resolve_(field_->text()).address;
  if (!address) return std::nullopt;
  if (!address->sheet.empty() && !select_(*address)) return std::nullopt;
  return FormatAddress(address->areas);
}

void RangePrompt::Confirm() {
  const std::optional<std::string> address = Address();
  if (address) {
    message_->hide();
    emit Confirmed(QString::fromStdString(*address));
    return;
  }
  // A slip of the keyboard must not skip the workbook: say so, ask again.
  const BlockName* unusable = resolve_(field_->text()).unusable_name;
  message_->setText(
      unusable != nullptr
          ? Tr(texts::kNameUnusable)
                .arg(QString::fromStdString(unusable->name),
                     QString::fromStdString(unusable->unusable_reason))
          : Tr(texts::kNotAnAddress));
  message_->show();
  MarkValid(false);
  field_->setFocus();
  field_->selectAll();
}

void RangePrompt::FollowSelection() {
  // Typing selects in the grid, which reports back here: leave the field
  // alone then, so that what the user types stays as typed.
  if (typing_) return;
  field_->setText(QString::fromStdString(FormatAddress(grid_->areas())));
  message_->hide();
  MarkValid(true);
}

void RangePrompt::SelectTyped(const QString& text) {
  const std::optional<RangeAddress> address = resolve_(text).address;
  typing_ = true;
  const bool valid = address && select_(*address);
  typing_ = false;
  MarkValid(valid || text.trimmed().isEmpty());
}

void RangePrompt::MarkValid(bool valid) {
  field_->setStyleSheet(valid ? QString()
                              : QStringLiteral("QLineEdit { background: "
                                               "#fde8e8; }"));
}

}  // namespace kestrilo::gui
