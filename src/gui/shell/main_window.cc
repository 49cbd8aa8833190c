// SPDX-License-Identifier: MIT

#include "gui/shell/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QShortcut>
#include <QVBoxLayout>
#include <string>
#include <vector>

#include "gui/common/dialogs.h"
#include "gui/common/settings_store.h"
#include "gui/common/translation.h"
#include "gui/common/ui_texts.h"
#include "gui/filelist/file_list_view.h"
#include "gui/run/export_run.h"
#include "gui/shell/export_options_panel.h"
#include "gui/shell/help_window.h"
#include "gui/shell/pointer_rule.h"
#include "gui/shell/text_progress_bar.h"

namespace kestrilo::gui {
namespace {

// The window's width as first designed, in inches (8040 twips): it can be
// made wider, never narrower.
constexpr double kWidthInches = 8040 / 1440.0;

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
  layout->addWidget(BuildListButtons());
  options_panel_ = new ExportOptionsPanel(settings_, dialogs_, client);
  layout->addWidget(options_panel_);
  layout->addWidget(BuildRunButtons());
  progress_bar_ = new TextProgressBar(client);
  progress_bar_->setObjectName(QStringLiteral("progress_bar"));
  progress_bar_->SetText(Tr(texts::kProgressIdle));
  layout->addWidget(progress_bar_);

  BuildMenus();
  ApplyFonts();
  SetTabOrder();
  WatchPointer();
  Connect();
  PlaceWindow();
}

void MainWindow::BuildMenus() {
  FileListCommands& commands = list_commands_;
  const auto add = [this](QMenu* menu, const QString& text, QKeySequence keys,
                          auto slot) {
    QAction* action = menu->addAction(text);
    action->setShortcut(keys);
    connect(action, &QAction::triggered, this, slot);
    return action;
  };
  QMenu* file = menuBar()->addMenu(Tr(texts::kFileMenu));
  add(file, Tr(texts::kAddFilesAction), QKeySequence::Open,
      [&commands] { commands.AddFiles(); });
  add(file, Tr(texts::kAddFolderAction), {},
      [&commands] { commands.AddFolder(); });
  add(file, Tr(texts::kClearListButton), {},
      [&commands] { commands.ClearList(); });
  file->addSeparator();
  add(file, Tr(texts::kQuitAction), QKeySequence(Qt::CTRL | Qt::Key_Q),
      [this] { close(); });
  QMenu* run = menuBar()->addMenu(Tr(texts::kPromptDockTitle));
  add(run, Tr(texts::kStartAction), QKeySequence(Qt::CTRL | Qt::Key_Return),
      [this] {
        if (run_) run_->Start();
      });
  QMenu* help = menuBar()->addMenu(Tr(texts::kHelpMenu));
  add(help, Tr(texts::kContentsAction), QKeySequence::HelpContents,
      [this] { ShowHelp(); });
  add(help, Tr(texts::kAboutAction), {}, [this] { ShowAbout(); });
  // The menus' titles have no letter to press with Alt: F10 opens the
  // first, as on most desktops.
  auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), this);
  connect(f10, &QShortcut::activated, this,
          [this] { menuBar()->setActiveAction(menuBar()->actions().first()); });
}

void MainWindow::ShowHelp() {
  if (help_window_ == nullptr) help_window_ = new HelpWindow(this);
  help_window_->show();
  help_window_->raise();
  help_window_->activateWindow();
}

void MainWindow::ShowAbout() {
  dialogs_.Message(
      Tr(texts::kAboutText).arg(QString::fromLatin1(KESTRILO_VERSION)));
}

void MainWindow::PlaceWindow() {
  // The list shrinks first as the window does, down to its least entries;
  // the options keep the room they need. The layout keeps the window from
  // growing smaller than that.
  const int least = list_view_->HeightForEntries(kLeastEntries);
  list_view_->setMinimumHeight(least);
  const QByteArray saved = QByteArray::fromBase64(
      SettingsStore::Read(SettingsStore::Key::kMainWindow, {}).toLatin1());
  if (saved.isEmpty() || !restoreGeometry(saved)) {
    const QSize smallest = minimumSizeHint();
    resize(qMax(smallest.width(), qRound(kWidthInches * logicalDpiX())),
           smallest.height() + list_view_->HeightForEntries(kOpeningEntries) -
               least);
  }
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
  // The menus in the desktop's own font, as in every other program.
  QFont menu_font = QApplication::font("QMenuBar");
  menu_font.setBold(false);
  menuBar()->setFont(menu_font);
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
  SettingsStore::Write(SettingsStore::Key::kMainWindow,
                       QString::fromLatin1(saveGeometry().toBase64()));
  run_.reset();
  event->accept();
  QCoreApplication::quit();
}

}  // namespace kestrilo::gui
