#include "gui/spreadsheet/range_prompt.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "engine/address_error.h"
#include "gui/spreadsheet/sheet_grid.h"

namespace kestrilo {

namespace {

std::optional<RangeAddress> Parse(const QString& text) {
  if (text.trimmed().isEmpty()) return std::nullopt;
  try {
    return ParseAddress(text.trimmed().toStdString());
  } catch (const AddressError&) {
    return std::nullopt;
  }
}

}  // namespace

RangePrompt::RangePrompt(SheetGrid* grid, SelectFunction select,
                         QWidget* parent)
    : QDialog(parent),
      grid_(grid),
      select_(std::move(select)),
      field_(new QLineEdit(this)),
      ok_(new QPushButton(tr("OK"), this)),
      cancel_(new QPushButton(tr("Cancel"), this)) {
  // The spreadsheet's own input box: no title was passed, so its default.
  setWindowTitle(tr("Input"));
  setModal(false);
  setWindowModality(Qt::NonModal);

  auto* prompt = new QLabel(tr("Highlight a block of cells with mouse"), this);
  prompt->setWordWrap(false);
  ok_->setDefault(true);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  buttons->addStretch();
  auto* layout = new QGridLayout(this);
  layout->addWidget(prompt, 0, 0, Qt::AlignTop);
  layout->addLayout(buttons, 0, 1);
  layout->addWidget(field_, 1, 0, 1, 2);
  layout->setColumnMinimumWidth(0, 220);
  field_->setMinimumWidth(300);

  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  connect(field_, &QLineEdit::textEdited, this, &RangePrompt::SelectTyped);
  connect(grid_, &SheetGrid::SelectionChanged, this,
          &RangePrompt::FollowSelection);
  grid_->installEventFilter(this);
}

bool RangePrompt::eventFilter(QObject* watched, QEvent* event) {
  // After selecting with the mouse the keyboard is in the grid: Enter and
  // Escape answer the prompt there too, as spreadsheets' prompts do.
  if (watched == grid_ && event->type() == QEvent::KeyPress && isVisible()) {
    switch (static_cast<QKeyEvent*>(event)->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter:
        accept();
        return true;
      case Qt::Key_Escape:
        reject();
        return true;
      default:
        break;
    }
  }
  return QDialog::eventFilter(watched, event);
}

std::optional<std::string> RangePrompt::Address() const {
  const std::optional<RangeAddress> address = Parse(field_->text());
  if (!address) return std::nullopt;
  if (!address->sheet.empty() && !select_(*address)) return std::nullopt;
  return FormatAddress(address->areas);
}

void RangePrompt::FollowSelection() {
  // Typing selects in the grid, which reports back here: leave the field
  // alone then, so that what the user types stays as typed.
  if (typing_) return;
  field_->setText(QString::fromStdString(FormatAddress(grid_->areas())));
  MarkValid(true);
}

void RangePrompt::SelectTyped(const QString& text) {
  const std::optional<RangeAddress> address = Parse(text);
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

}  // namespace kestrilo
