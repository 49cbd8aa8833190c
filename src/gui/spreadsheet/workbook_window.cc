// SPDX-License-Identifier: MIT

#include "gui/spreadsheet/workbook_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QShortcut>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabBar>
#include <QVBoxLayout>
#include <algorithm>

#include "engine/model/block_clip.h"
#include "engine/model/column_letters.h"
#include "engine/model/range_address.h"
#include "engine/reading/workbook_reader.h"
#include "engine/writing/xml_writer.h"
#include "gui/common/count_text.h"
#include "gui/common/path_text.h"
#include "gui/common/settings_store.h"
#include "gui/common/translation.h"
#include "gui/common/ui_texts.h"
#include "gui/spreadsheet/grid_colors.h"
#include "gui/spreadsheet/name_box.h"
#include "gui/spreadsheet/prompt_dock.h"
#include "gui/spreadsheet/range_prompt.h"
#include "gui/spreadsheet/sheet_grid.h"
#include "gui/spreadsheet/sheet_model.h"
#include "gui/spreadsheet/typed_reference.h"

namespace kestrilo::gui {

namespace {

constexpr int kStatusIntervalMs = 50;
int open_windows = 0;

QString FileNameOf(const QString& path) { return QFileInfo(path).fileName(); }

QString TitleFor(const QString& path) {
  return Tr(texts::kWorkbookWindowTitle)
      .arg(FileNameOf(path), Tr(texts::kProductName));
}

}  // namespace

WorkbookWindow::WorkbookWindow(QWidget* parent)
    : QMainWindow(parent),
      grid_(new SheetGrid(this)),
      tabs_(new QTabBar(this)),
      name_box_(new NameBox(this)),
      formula_line_(new QLineEdit(this)),
      pages_(new QStackedWidget(this)),
      loading_label_(new QLabel(this)),
      loading_bar_(new QProgressBar(this)),
      status_label_(new QLabel(Tr(texts::kReady), this)),
      selection_size_(new QLabel(this)),
      prompt_dock_(new PromptDock(this)) {
  ++open_windows;
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(CreateFormulaBar());
  pages_->addWidget(CreateLoadingPage());
  pages_->addWidget(grid_);
  pages_->setCurrentWidget(grid_);
  layout->addWidget(pages_, 1);
  layout->addWidget(CreateTabRow());
  setCentralWidget(central);
  statusBar()->addWidget(status_label_, 1);
  selection_size_->setObjectName(QStringLiteral("selectionSize"));
  statusBar()->addPermanentWidget(selection_size_);
  // Docked beside the grid, the prompt covers no cells.
  addDockWidget(Qt::RightDockWidgetArea, prompt_dock_);
  statusBar()->setSizeGripEnabled(true);
  RestoreGeometry();

  status_timer_.setSingleShot(true);
  status_timer_.setInterval(kStatusIntervalMs);
  connect(&status_timer_, &QTimer::timeout, this,
          &WorkbookWindow::FlushStatusText);
  connect(grid_, &SheetGrid::SelectionChanged, this,
          &WorkbookWindow::SelectionChanged);
  connect(tabs_, &QTabBar::currentChanged, this, &WorkbookWindow::TabChosen);
  connect(name_box_, &NameBox::TextEntered, this,
          &WorkbookWindow::NameBoxEntered);
  connect(name_box_, &NameBox::NamePicked, this, &WorkbookWindow::NamePicked);
  AddKeys();
  ShowActiveCell();
}

void WorkbookWindow::AddKeys() {
  // As in spreadsheets: Ctrl+Page Down and Ctrl+Page Up go to the next and
  // the previous sheet, F6 and Shift+F6 move the keyboard from part to
  // part of the window.
  const auto add = [this](QKeyCombination key, auto slot) {
    auto* shortcut = new QShortcut(QKeySequence(key), this);
    connect(shortcut, &QShortcut::activated, this, slot);
  };
  add(Qt::CTRL | Qt::Key_PageDown, [this] { StepSheet(1); });
  add(Qt::CTRL | Qt::Key_PageUp, [this] { StepSheet(-1); });
  add(QKeyCombination(Qt::Key_F6), [this] { StepFocus(1); });
  add(Qt::SHIFT | Qt::Key_F6, [this] { StepFocus(-1); });
  setTabOrder(name_box_, formula_line_);
  setTabOrder(formula_line_, grid_);
  setTabOrder(grid_, tabs_);
}

void WorkbookWindow::StepSheet(int step) {
  // Not while the workbook is being read from: the sheet stays put.
  if (!tabs_->isEnabled()) return;
  const int tab = tabs_->currentIndex() + step;
  if (tab >= 0 && tab < tabs_->count()) tabs_->setCurrentIndex(tab);
}

void WorkbookWindow::StepFocus(int step) {
  std::vector<QWidget*> parts = {grid_, tabs_};
  if (range_prompt() != nullptr) parts.push_back(range_prompt());
  parts.push_back(name_box_);
  const QWidget* focus = QApplication::focusWidget();
  const auto holding =
      std::find_if(parts.begin(), parts.end(), [&](QWidget* part) {
        return part == focus || part->isAncestorOf(focus);
      });
  const int count = static_cast<int>(parts.size());
  const int at = holding == parts.end()
                     ? (step > 0 ? -1 : 0)
                     : static_cast<int>(holding - parts.begin());
  QWidget* next = parts[(at + step + count) % count];
  // The prompt takes the keyboard in its address field.
  if (next == range_prompt()) next = range_prompt()->address_field();
  next->setFocus(Qt::ShortcutFocusReason);
}

WorkbookWindow::~WorkbookWindow() {
  // The reader holds no pointer into the window; waiting for it keeps its
  // result from arriving at a window that is gone.
  if (loader_.joinable()) loader_.join();
  EndPrompt();  // a window freed while prompting answers nothing
  grid_->SetSheet(nullptr);
  --open_windows;
}

int WorkbookWindow::open_count() { return open_windows; }

QWidget* WorkbookWindow::CreateFormulaBar() {
  auto* bar = new QWidget(this);
  bar->setObjectName(QStringLiteral("formulaBar"));
  bar->setAutoFillBackground(true);
  auto* layout = new QHBoxLayout(bar);
  layout->setContentsMargins(6, 4, 6, 4);
  layout->setSpacing(6);
  name_box_->setFixedWidth(160);
  auto* fx = new QLabel(Tr(texts::kFormulaBarMark), bar);
  QFont italic = fx->font();
  italic.setItalic(true);
  italic.setFamily(QStringLiteral("serif"));
  fx->setFont(italic);
  fx->setStyleSheet(QStringLiteral("color: #5f6368; padding: 0 6px;"));
  formula_line_->setReadOnly(true);
  layout->addWidget(name_box_);
  layout->addWidget(fx);
  layout->addWidget(formula_line_, 1);
  return bar;
}

QWidget* WorkbookWindow::CreateLoadingPage() {
  auto* page = new QWidget(this);
  auto* layout = new QVBoxLayout(page);
  layout->addStretch();
  loading_label_->setAlignment(Qt::AlignCenter);
  loading_label_->setWordWrap(true);
  layout->addWidget(loading_label_);
  loading_bar_->setRange(0, 0);  // busy: a reader cannot tell how far it is
  loading_bar_->setTextVisible(false);
  loading_bar_->setFixedWidth(260);
  layout->addWidget(loading_bar_, 0, Qt::AlignHCenter);
  layout->addStretch();
  return page;
}

QWidget* WorkbookWindow::CreateTabRow() {
  auto* row = new QWidget(this);
  row->setObjectName(QStringLiteral("tabRow"));
  row->setStyleSheet(
      QStringLiteral(
          "#tabRow { background: %1; border-top: 1px solid %2; }"
          "QTabBar::tab { background: %1; color: #3c4043; padding: 4px 16px;"
          " border: 1px solid %2; border-top: none; margin-right: -1px; }"
          "QTabBar::tab:selected { background: white; color: %3;"
          " border-bottom: 3px solid %3; font-weight: bold; }"
          "QTabBar::tab:hover:!selected { background: #e8eaed; }")
          .arg(grid_colors::kHeaderBackground.name(),
               grid_colors::kHeaderLine.name(),
               grid_colors::kSelectionBorder.name()));
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(grid_->verticalHeader()->minimumWidth(), 0, 0, 0);
  tabs_->setShape(QTabBar::RoundedSouth);
  tabs_->setDrawBase(false);
  tabs_->setExpanding(false);
  tabs_->setUsesScrollButtons(true);
  // Reached with F6 and moved along with the arrow keys; a click on a tab
  // leaves the keyboard where it was.
  tabs_->setFocusPolicy(Qt::TabFocus);
  tabs_->setAccessibleName(Tr(texts::kSheetTabsName));
  tabs_->setAccessibleDescription(Tr(texts::kSheetTabsKeys));
  // All of the row's width: a bar sized to its tabs keeps the size it had
  // when they were laid out, and the selected tab, drawn bold, then
  // pushes the first one out of view.
  layout->addWidget(tabs_, 1);
  return row;
}

void WorkbookWindow::StartLoading(const std::string& file) {
  if (loading_) return;
  const QString path = PathText(file);
  path_ = path;
  loading_ = true;
  setWindowTitle(TitleFor(path));
  loading_label_->setText(Tr(texts::kLoading).arg(FileNameOf(path)));
  loading_bar_->show();
  pages_->setCurrentIndex(0);
  status_label_->setText(Tr(texts::kLoading).arg(FileNameOf(path)));
  setCursor(Qt::BusyCursor);
  loader_ = std::thread([this, file] {
    std::unique_ptr<Workbook> workbook;
    std::exception_ptr error;
    try {
      workbook = ReadWorkbook(file);
    } catch (...) {
      error = std::current_exception();
    }
    {
      std::lock_guard lock(load_mutex_);
      loaded_ = std::move(workbook);
      load_error_ = error;
    }
    QMetaObject::invokeMethod(
        this, [this] { FinishLoading(); }, Qt::QueuedConnection);
  });
}

void WorkbookWindow::FinishLoading() {
  if (loader_.joinable()) loader_.join();
  std::unique_ptr<Workbook> workbook;
  {
    std::lock_guard lock(load_mutex_);
    workbook = std::move(loaded_);
  }
  loading_ = false;
  unsetCursor();
  if (workbook) {
    SetWorkbook(std::move(workbook));
  } else {
    QString reason = Tr(texts::kWorkbookUnreadable);
    if (load_error_) {
      try {
        std::rethrow_exception(load_error_);  // the reader has ended
      } catch (const std::exception& error) {
        reason = QString::fromStdString(error.what());
      } catch (...) {
      }
    }
    loading_bar_->hide();
    loading_label_->setText(reason);
    status_label_->setText(Tr(texts::kReady));
  }
  emit LoadFinished();
}

void WorkbookWindow::WaitUntilLoaded() {
  if (loading_) {
    QEventLoop loop;
    connect(this, &WorkbookWindow::LoadFinished, &loop, &QEventLoop::quit);
    loop.exec();
  }
  std::exception_ptr error;
  {
    // Locked: a wait cut short by the application quitting may still
    // overlap the reader.
    std::lock_guard lock(load_mutex_);
    error = load_error_;
  }
  if (error) std::rethrow_exception(error);
}

void WorkbookWindow::SetWorkbook(std::unique_ptr<Workbook> workbook) {
  prompt_dock_->StopCounting();
  grid_->SetSheet(nullptr);
  selections_.clear();
  workbook_ = std::move(workbook);
  load_error_ = nullptr;
  active_sheet_ = -1;
  if (workbook_) {
    setWindowTitle(TitleFor(QString::fromStdString(workbook_->path())));
    active_sheet_ =
        workbook_->sheet_count() > 0 ? workbook_->active_sheet() : -1;
  }
  FillTabs();
  name_box_->SetWorkbook(workbook_.get());
  if (active_sheet_ >= 0) {
    grid_->SetSheet(&workbook_->sheet(active_sheet_), &workbook_->styles());
  }
  pages_->setCurrentWidget(grid_);
  status_label_->setText(Tr(texts::kReady));
  grid_->setFocus();
  ShowActiveCell();
}

void WorkbookWindow::ReleaseWorkbook() {
  prompt_dock_->StopCounting();
  grid_->SetSheet(nullptr);
  selections_.clear();
  workbook_.reset();
  active_sheet_ = -1;
  FillTabs();
  name_box_->SetWorkbook(nullptr);
  ShowActiveCell();
}

void WorkbookWindow::FillTabs() {
  // Hidden sheets get no tab, as in spreadsheets, unless the file marks one
  // as active.
  const QSignalBlocker blocker(tabs_);
  while (tabs_->count() > 0) tabs_->removeTab(0);
  tab_sheets_.clear();
  if (!workbook_) return;
  for (int i = 0; i < workbook_->sheet_count(); ++i) {
    const Sheet& sheet = workbook_->sheet(i);
    if (sheet.hidden() && i != active_sheet_) continue;
    tabs_->addTab(QString::fromStdString(sheet.name()));
    tab_sheets_.push_back(i);
    if (i == active_sheet_) tabs_->setCurrentIndex(tabs_->count() - 1);
  }
}

void WorkbookWindow::TabChosen(int tab) {
  if (tab < 0 || tab >= static_cast<int>(tab_sheets_.size())) return;
  SetActiveSheet(tab_sheets_[tab]);
}

void WorkbookWindow::SetActiveSheet(int index) {
  if (!workbook_ || index < 0 || index >= workbook_->sheet_count() ||
      index == active_sheet_) {
    return;
  }
  // Each sheet keeps its selection while another one shows, as in
  // spreadsheets.
  if (active_sheet_ >= 0) selections_[active_sheet_] = grid_->selection();
  active_sheet_ = index;
  const auto tab = std::find(tab_sheets_.begin(), tab_sheets_.end(), index);
  if (tab == tab_sheets_.end()) {
    FillTabs();  // a hidden sheet named in an address
  } else {
    const QSignalBlocker blocker(tabs_);
    tabs_->setCurrentIndex(static_cast<int>(tab - tab_sheets_.begin()));
  }
  grid_->SetSheet(&workbook_->sheet(index), &workbook_->styles());
  const auto saved = selections_.find(index);
  if (saved != selections_.end()) grid_->RestoreSelection(saved->second);
}

bool WorkbookWindow::SelectAddress(const RangeAddress& address) {
  if (address.areas.empty()) return false;
  if (!address.sheet.empty()) {
    const int index = workbook_ ? workbook_->FindSheet(address.sheet) : -1;
    if (index < 0) return false;
    SetActiveSheet(index);
  }
  grid_->SelectAreas(address.areas);
  return true;
}

void WorkbookWindow::ShowActiveCell() {
  const CellPosition cell = grid_->active_cell();
  const std::vector<BlockGeometry>& areas = grid_->areas();
  // A named block selected shows its name, one block of several cells its
  // address, as in spreadsheets; else the active cell's.
  const BlockName* name =
      areas.size() == 1 ? TypedReference::NameOfBlock(
                              workbook_.get(), active_sheet_, areas.front())
                        : nullptr;
  QString shown = QString::fromStdString(ColumnLetters(cell.column)) +
                  QString::number(cell.row);
  if (name != nullptr) {
    shown = TypedReference::Label(*workbook_, *name);
  } else if (areas.size() == 1 &&
             (areas.front().row_count > 1 || areas.front().column_count > 1)) {
    shown = QString::fromStdString(FormatArea(areas.front()))
                .remove(QLatin1Char('$'));
  }
  name_box_->ShowText(shown);
  formula_line_->setText(
      SheetModel::ValueText(grid_->sheet_model()->Cell(cell.row, cell.column)));
  formula_line_->setCursorPosition(0);  // a long value shows its start
}

void WorkbookWindow::NameBoxEntered(const QString& text) {
  const TypedReference reference =
      TypedReference::Resolve(workbook_.get(), active_sheet_, text);
  if (reference.address && SelectAddress(*reference.address)) {
    grid_->setFocus();
    return;
  }
  // What was typed stays, marked and selected to be typed over, and the
  // status bar says why it leads nowhere.
  name_box_->ShowRefused(text);
  status_label_->setText(Tr(texts::kNameBoxRefused).arg(text.trimmed()));
  name_refused_ = true;
}

void WorkbookWindow::NamePicked(int name_index) {
  if (!workbook_ || name_index < 0 ||
      name_index >= static_cast<int>(workbook_->names().size())) {
    return;
  }
  SelectAddress(
      TypedReference::OfName(*workbook_, workbook_->names()[name_index]));
  grid_->setFocus();
}

void WorkbookWindow::ShowStatusText(std::string_view text) {
  pending_status_.assign(text);
  status_pending_ = true;
  if (!status_clock_.isValid() ||
      status_clock_.elapsed() >= kStatusIntervalMs) {
    FlushStatusText();
  } else if (!status_timer_.isActive()) {
    status_timer_.start();
  }
}

void WorkbookWindow::FlushStatusText() {
  status_timer_.stop();
  if (!status_pending_) return;
  status_pending_ = false;
  status_label_->setText(QString::fromStdString(pending_status_));
  status_clock_.restart();
}

QString WorkbookWindow::status_text() const { return status_label_->text(); }

void WorkbookWindow::SetBusy(bool busy) {
  if (busy) {
    setCursor(Qt::WaitCursor);
  } else {
    unsetCursor();
    FlushStatusText();
  }
  tabs_->setEnabled(!busy);
}

bool WorkbookWindow::BeginPrompt(const gui::PromptContext& context,
                                 AnswerFunction answered) {
  if (!workbook_ || !prompt_dock_->Begin(context, std::move(answered))) {
    return false;
  }
  if (!isVisible()) show();
  raise();
  activateWindow();
  grid_->setFocus();
  emit RangePromptShown();
  return true;
}

void WorkbookWindow::EndPrompt() { prompt_dock_->End(); }

void WorkbookWindow::SetPreviewOptions(const ExportOptions& options) {
  prompt_dock_->SetOptions(options);
}

RangePrompt* WorkbookWindow::range_prompt() const {
  return prompt_dock_->prompt();
}

std::optional<BlockGeometry> WorkbookWindow::SelectedBlock() const {
  if (!workbook_ || active_sheet_ < 0) return std::nullopt;
  return ClipToUsedRange(grid_->areas().front(),
                         workbook_->sheet(active_sheet_).UsedRange());
}

void WorkbookWindow::SelectionChanged() {
  if (name_refused_) {
    name_refused_ = false;
    status_label_->setText(Tr(texts::kReady));
  }
  ShowActiveCell();
  ShowSelectionSize();
  prompt_dock_->SelectionChanged();
}

void WorkbookWindow::ShowSelectionSize() {
  const std::optional<BlockGeometry> block = SelectedBlock();
  if (!block) {
    selection_size_->setText(workbook_ ? Tr(texts::kNoCells) : QString());
    return;
  }
  selection_size_->setText(
      Tr(texts::kBlockSize)
          .arg(block->row_count == 1
                   ? Tr(texts::kOneRow)
                   : Tr(texts::kRows).arg(CountText(block->row_count)))
          .arg(block->column_count == 1
                   ? Tr(texts::kOneColumn)
                   : Tr(texts::kColumns).arg(CountText(block->column_count))));
}

QString WorkbookWindow::selection_size_text() const {
  return selection_size_->text();
}

void WorkbookWindow::RestoreGeometry() {
  // Where the user last left a workbook window; restoring moves a window
  // that would lie off every screen back onto one.
  const QByteArray saved = QByteArray::fromBase64(
      SettingsStore::Read(SettingsStore::Key::kWorkbookWindow, {}).toLatin1());
  if (saved.isEmpty() || !restoreGeometry(saved)) resize(1100, 680);
}

void WorkbookWindow::hideEvent(QHideEvent* event) {
  QMainWindow::hideEvent(event);
  // Closed or put away by its run; a minimised window keeps the size and
  // position it had.
  if (!event->spontaneous()) {
    SettingsStore::Write(SettingsStore::Key::kWorkbookWindow,
                         QString::fromLatin1(saveGeometry().toBase64()));
  }
}

void WorkbookWindow::closeEvent(QCloseEvent* event) {
  event->accept();
  emit Closed();
  if (range_prompt() != nullptr) {
    prompt_dock_->Answer(std::nullopt);  // last: it may free this
  }
}

}  // namespace kestrilo::gui
