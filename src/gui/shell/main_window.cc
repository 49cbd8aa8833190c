// SPDX-License-Identifier: MIT

#include "gui/shell/main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <string>
#include <vector>

#include "gui/common/translation.h"
#include "gui/common/ui_texts.h"
#include "gui/filelist/file_list_view.h"
#include "gui/run/export_run.h"
#include "gui/shell/export_options_panel.h"
#include "gui/shell/pointer_rule.h"
#include "gui/shell/text_progress_bar.h"

namespace kestrilo::gui {
namespace {

// The window's size as first designed, in inches (8040 by 8235 twips): it
// opens at that size and can be made larger, never smaller.
constexpr double kWidthInches = 8040 / 1440.0;
constexpr double kHeightInches = 8235 / 1440.0;

QPushButton* MakeButton(QWidget* parent, const char* role,
                        const QString& text) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(QString::fromLatin1(role));
  // Enter presses the button that has the focus, as Space does.
  button->setAutoDefault(true);
  button->setFocusPolicy(Qt::TabFocus);
  return button;
}

QFont BoldFont(double points) {
  // Arial where the platform has it, else its metric twin.
  QFont font(QFontDatabase::families().contains(QStringLiteral("Arial"))
                 ? QStringLiteral("Arial")
                 : QStringLiteral("Liberation Sans"));
  font.setPointSizeF(points);
  font.setBold(true);
  return font;
}

}  // namespace

MainWindow::MainWindow(WorkbookOpener& opener, Dialogs& dialogs,
                       QWidget* parent)
    : QMainWindow(parent),
      dialogs_(dialogs),
      pointer_(new PointerRule(*this)),
      list_commands_(list_, dialogs_,
                     [this](bool busy) { pointer_->SetBusy(busy); }),
      run_(std::make_unique<ExportRun>(opener, dialogs_, list_, settings_)) {
  setObjectName(QStringLiteral("main_window"));

  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("client_area"));
  setCentralWidget(client);
  auto* layout = new QVBoxLayout(client);
  list_view_ = new FileListView(list_, client);
  list_view_->setObjectName(QStringLiteral("file_list"));
  layout->addWidget(list_view_, 1);  // the list takes any extra room
  // At the designed size the options take the room they need, and the list
  // what is left: three lines at the least.
  list_view_->setMinimumHeight(3 * list_view_->fontMetrics().height() +
                               2 * list_view_->frameWidth());
  layout->addWidget(BuildListButtons());
  options_panel_ = new ExportOptionsPanel(settings_, dialogs_, client);
  layout->addWidget(options_panel_);
  layout->addWidget(BuildRunButtons());
  progress_bar_ = new TextProgressBar(client);
  progress_bar_->setObjectName(QStringLiteral("progress_bar"));
  progress_bar_->SetText(Tr(texts::kProgressIdle));
  layout->addWidget(progress_bar_);

  ApplyFonts();
  SetTabOrder();
  WatchPointer();
  Connect();
  const QSize designed(qRound(kWidthInches * logicalDpiX()),
                       qRound(kHeightInches * logicalDpiY()));
  setMinimumSize(designed);
  resize(designed);
}

MainWindow::~MainWindow() = default;

QWidget* MainWindow::BuildListButtons() {
  auto* row = new QWidget(centralWidget());
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  add_files_button_ =
      MakeButton(row, "add_files_button", Tr(texts::kAddFilesButton));
  add_folder_button_ =
      MakeButton(row, "add_folder_button", Tr(texts::kAddFolderButton));
  clear_list_button_ =
      MakeButton(row, "clear_list_button", Tr(texts::kClearListButton));
  layout->addWidget(add_files_button_, 3);
  layout->addWidget(add_folder_button_, 5);
  layout->addWidget(clear_list_button_, 2);
  return row;
}

QWidget* MainWindow::BuildRunButtons() {
  auto* row = new QWidget(centralWidget());
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  load_samples_button_ =
      MakeButton(row, "load_samples_button", Tr(texts::kLoadSamplesButton));
  start_export_button_ =
      MakeButton(row, "start_export_button", Tr(texts::kStartExportButton));
  layout->addWidget(load_samples_button_, 1);
  layout->addWidget(start_export_button_, 1);
  return row;
}

void MainWindow::ApplyFonts() {
  setFont(BoldFont(9));
  for (QPushButton* button :
       {add_files_button_, add_folder_button_, clear_list_button_,
        load_samples_button_, start_export_button_,
        options_panel_->choose_folder_button()}) {
    button->setFont(BoldFont(11.25));
  }
}

void MainWindow::SetTabOrder() {
  // Top to bottom, as the controls stand.
  QList<QWidget*> order = {list_view_, add_files_button_, add_folder_button_,
                           clear_list_button_};
  order += options_panel_->tab_order();
  order += {load_samples_button_, start_export_button_};
  for (qsizetype i = 1; i < order.size(); ++i) {
    setTabOrder(order[i - 1], order[i]);
  }
}

void MainWindow::WatchPointer() {
  using Pointer = PointerRule::Pointer;
  for (QPushButton* button :
       {add_files_button_, add_folder_button_, clear_list_button_,
        load_samples_button_, start_export_button_,
        options_panel_->choose_folder_button()}) {
    pointer_->Watch(button, Pointer::kHand);
  }
  QList<QWidget*> plain = {this, centralWidget(), list_view_,
                           list_view_->viewport()};
  plain += options_panel_->frames();
  plain += options_panel_->options();
  for (QWidget* widget : plain) pointer_->Watch(widget, Pointer::kDefault);
}

void MainWindow::Connect() {
  FileListCommands& commands = list_commands_;
  connect(add_files_button_, &QPushButton::clicked, this,
          [&commands] { commands.AddFiles(); });
  connect(add_folder_button_, &QPushButton::clicked, this,
          [&commands] { commands.AddFolder(); });
  connect(clear_list_button_, &QPushButton::clicked, this,
          [&commands] { commands.ClearList(); });
  connect(load_samples_button_, &QPushButton::clicked, this,
          [&commands] { commands.LoadSamples(); });
  connect(list_view_, &FileListView::FilesDropped, this,
          [&commands](const std::vector<std::string>& paths) {
            commands.AddDropped(paths);
          });
  ExportRun* run = run_.get();
  connect(start_export_button_, &QPushButton::clicked, run, &ExportRun::Start);
  connect(run, &ExportRun::BusyChanged, pointer_, &PointerRule::SetBusy);
  connect(run, &ExportRun::ProgressChanged, this,
          [this](int value, const QString& text) {
            progress_bar_->setValue(value);
            progress_bar_->SetText(text);
          });
}

void MainWindow::closeEvent(QCloseEvent* event) {
  run_.reset();
  event->accept();
  QCoreApplication::quit();
}

}  // namespace kestrilo::gui
