#include "gui/shell/form1.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QIcon>
#include <QLineEdit>
#include <QPixmap>
#include <QRadioButton>
#include <stdexcept>

#include "gui/filelist/file_list_commands.h"
#include "gui/filelist/file_list_view.h"
#include "gui/shell/application_title.h"
#include "gui/shell/dialogs.h"
#include "gui/shell/handler_guard.h"
#include "gui/shell/program_folder.h"
#include "gui/shell/progress_bar.h"
#include "gui/shell/settings_store.h"
#include "gui/shell/shell_utilities.h"
#include "gui/spreadsheet/automation_checks.h"
#include "gui/spreadsheet/spreadsheet_automation.h"

// The window icon lives in the library's resources, which a static library
// must register by name.
static void InitKestriloResources() { Q_INIT_RESOURCE(kestrilo); }

namespace kestrilo {
namespace {

constexpr char kFormLoadLocation[] = "in Kestrix2021/08/31.Form1.Form_Load ";
constexpr int kListColumnTwips = 7000;

QString BesideProgram(const QString& relative_path) {
  return ProgramFolder() + QDir::separator() +
         QDir::toNativeSeparators(relative_path);
}

// A stored option code read as a number; a failure for a text that is none.
double StoredNumber(const QString& name, const QString& default_value) {
  const QString value = GetSetting(name, default_value);
  bool ok = false;
  const double number = value.trimmed().toDouble(&ok);
  if (!ok) {
    throw std::invalid_argument(
        QStringLiteral("Type mismatch: the setting \"%1\" holds \"%2\", "
                       "which is not a number")
            .arg(name, value)
            .toStdString());
  }
  return number;
}

// The hot spot of a Windows cursor file: the .cur header keeps it where an
// icon keeps its colour planes and bit count. Qt reads the image but not the
// hot spot.
QPoint CursorHotSpot(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {-1, -1};
  const QByteArray header = file.read(14);
  if (header.size() < 14 || header[2] != 2) return {-1, -1};
  const auto word = [&header](int at) {
    return static_cast<unsigned char>(header[at]) |
           static_cast<unsigned char>(header[at + 1]) << 8;
  };
  return {word(10), word(12)};
}

}  // namespace

Form1::Form1(SpreadsheetAutomation& automation, Dialogs& dialogs,
             QWidget* parent)
    : QMainWindow(parent), automation_(automation), dialogs_(dialogs) {
  InitKestriloResources();
  setObjectName(QStringLiteral("Form1"));
  CreateControls();
  PlaceControls();
  ApplyFonts();
  ConnectHandlers();
  WatchPointer(this, Pointer::kDefault);
  list_commands_ = std::make_unique<FileListCommands>(
      *list_view1_, dialogs_, [this] { return IsBusy(); },
      [this](bool busy) { SetBusy(busy); });
}

Form1::~Form1() = default;

void Form1::Form_Load() {
  HandlerGuard guard(dialogs_, QString::fromLatin1(kFormLoadLocation));
  guard.Run(100, [this] { ApplySkin(); });
  if (guard.Test(104, [] { return PathExists(BesideProgram("HAND-M.CUR")); })) {
    guard.Run(106, [this] { LoadCustomPointer(); });
  }
  guard.Run(126, [this] {
    setWindowTitle(QStringLiteral("Kestrilo"));
    setWindowIcon(QIcon(QStringLiteral(":/kestrilo/kestrilo.png")));
    SetApplicationTitle();
  });
  guard.Run(128, [this] {
    list_view1_->setHeaderLabels({QStringLiteral("Excel File(s)")});
  });
  guard.Run(130, [this] {
    // A fixed width; longer names show by widening it or scrolling.
    list_view1_->header()->setStretchLastSection(false);
    list_view1_->header()->resizeSection(0, Twips(kListColumnTwips));
  });
  RestoreHeaderMode(guard);
  RestoreHierarchy(guard);
  // The rule the check boxes' change handling keeps from now on; a mode
  // restored without a change of selection has not run it yet.
  ApplyEnablingRule();
  RestoreEscapeText();
  guard.Run(156, [this] {
    text2_->setText(GetSetting(QStringLiteral("Title"), QStringLiteral("XML")));
  });
  guard.Run(158, [this] {
    text1_->setText(
        GetSetting(QStringLiteral("Output Folder"), DesktopFolderPath()));
  });
  guard.Run(160, [this] { EnsureSpreadsheetAvailable(); });
}

void Form1::RestoreHeaderMode(HandlerGuard& guard) {
  // Each test reads the setting afresh; a test that fails runs its branch.
  const auto mode_is = [&guard](int line, int code) {
    return guard.Test(line, [code] {
      return StoredNumber(QStringLiteral("Selection Properties"),
                          QStringLiteral("1")) == code;
    });
  };
  if (mode_is(132, 1)) {
    guard.Run(134, [this] { option3_->setChecked(true); });
  } else if (mode_is(136, 2)) {
    guard.Run(138, [this] { option5_->setChecked(true); });
  } else if (mode_is(140, 3)) {
    guard.Run(142, [this] { option6_->setChecked(true); });
  } else if (mode_is(144, 4)) {
    guard.Run(146, [this] { option4_->setChecked(true); });
  }
}

void Form1::RestoreHierarchy(HandlerGuard& guard) {
  const auto flip_is = [&guard](int line, int code) {
    return guard.Test(line, [code] {
      return StoredNumber(QStringLiteral("Flip Row"), QStringLiteral("1")) ==
             code;
    });
  };
  if (flip_is(148, 1)) {
    guard.Run(150, [this] { option1_->setChecked(true); });
  } else if (flip_is(152, 2)) {
    guard.Run(154, [this] { option2_->setChecked(true); });
  }
}

void Form1::RestoreEscapeText() {
  check_escape_->setChecked(
      GetSetting(QStringLiteral("Escape Text"), QStringLiteral("1")) !=
      QStringLiteral("0"));
}

void Form1::ApplySkin() {
  const QString path = BesideProgram(QStringLiteral("x/o.cjs"));
  const QFileInfo info(path);
  if (!info.exists() || !info.isFile() || info.isHidden()) return;
  // The skin is a Qt style sheet for the whole window.
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
    throw std::runtime_error(
        QStringLiteral("The skin file %1 could not be read: %2")
            .arg(path, file.errorString())
            .toStdString());
  }
  setStyleSheet(QString::fromUtf8(file.readAll()));
}

void Form1::LoadCustomPointer() {
  // The window switches to it only on the pointer moves. A file Qt cannot
  // decode leaves the pointing hand.
  const QString path = BesideProgram(QStringLiteral("HAND-M.CUR"));
  const QPixmap image(path);
  if (image.isNull()) return;
  const QPoint hot_spot = CursorHotSpot(path);
  custom_cursor_ = QCursor(image, hot_spot.x(), hot_spot.y());
  if (pointer_ == Pointer::kCustom) setCursor(custom_cursor_);
}

void Form1::EnsureSpreadsheetAvailable() {
  const auto show_message = [this](const QString& /*caption*/,
                                   const QString& text) {
    dialogs_.Message(text);
  };
  // The program ends before the window shows: main() sees program_ended().
  const auto end_program = [this] {
    program_ended_ = true;
    unloading_ = true;
  };
  if (!EnsureExcelAvailable(automation_, ApplicationTitle(), show_message,
                            end_program)) {
    end_program();
  }
}

void Form1::SetBusy(bool busy) {
  SetPointer(busy ? Pointer::kHourglass : Pointer::kDefault);
}

void Form1::SetPointer(Pointer pointer) {
  pointer_ = pointer;
  switch (pointer) {
    case Pointer::kHourglass:
      setCursor(Qt::WaitCursor);
      break;
    case Pointer::kCustom:
      setCursor(custom_cursor_);
      break;
    case Pointer::kDefault:
      unsetCursor();
      break;
  }
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) {
    const auto found = hover_pointers_.constFind(watched);
    if (found != hover_pointers_.constEnd() &&
        pointer_ != Pointer::kHourglass && pointer_ != found.value()) {
      SetPointer(found.value());
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void Form1::closeEvent(QCloseEvent* event) {
  // Form_Unload: the program ends at once. Every window closes, and a run
  // waiting between workbooks stops there.
  unloading_ = true;
  event->accept();
  QApplication::closeAllWindows();
  QCoreApplication::quit();
}

ExportOptions Form1::ReadExportOptions() const {
  ExportOptions options;
  options.title_tag = check1_->isChecked();
  options.header_row = check2_->isChecked();
  options.header_column = check3_->isChecked();
  options.row_first = option1_->isChecked();
  options.title = text2_->text().toStdString();
  options.escape_text = check_escape_->isChecked();
  return options;
}

int Form1::progress_value() const { return progress_bar1_->value(); }

QString Form1::progress_text() const { return progress_bar1_->text(); }

// The file list's commands live beside the list.
void Form1::PushButton1_Click() { list_commands_->PushButton1_Click(); }
void Form1::PushButton5_Click() { list_commands_->PushButton5_Click(); }
void Form1::PushButton6_Click() { list_commands_->PushButton6_Click(); }
void Form1::PushButton7_Click() { list_commands_->PushButton7_Click(); }

}  // namespace kestrilo
