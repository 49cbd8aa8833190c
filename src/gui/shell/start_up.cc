// SPDX-License-Identifier: MIT

#include "gui/shell/start_up.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QPixmap>
#include <stdexcept>

#include "gui/common/data_folder.h"
#include "gui/common/dialogs.h"
#include "gui/common/step_guard.h"
#include "gui/common/translation.h"
#include "gui/common/ui_texts.h"
#include "gui/common/workbook_opener.h"
#include "gui/run/export_settings.h"
#include "gui/shell/application_title.h"
#include "gui/shell/main_window.h"
#include "gui/shell/pointer_rule.h"

// The window icon lives in the library's resources, which a static library
// must register by name.
static void InitKestriloResources() { Q_INIT_RESOURCE(kestrilo); }

namespace kestrilo::gui {
namespace {

// The skin is a Qt style sheet for the whole window; no file, no skin.
void ApplySkin(MainWindow& window) {
  const QString path = DataFile(QStringLiteral("x/o.cjs"));
  const QFileInfo info(path);
  if (!info.exists() || !info.isFile() || info.isHidden()) return;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
    throw std::runtime_error(
        Tr(texts::kSkinUnreadable).arg(path, file.errorString()).toStdString());
  }
  window.setStyleSheet(QString::fromUtf8(file.readAll()));
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

// An image Qt cannot decode leaves the pointing hand.
void LoadHandPointer(PointerRule& pointer) {
  const QString path = DataFile(QStringLiteral("HAND-M.CUR"));
  const QPixmap image(path);
  if (image.isNull()) return;
  const QPoint hot_spot = CursorHotSpot(path);
  pointer.SetHandCursor(QCursor(image, hot_spot.x(), hot_spot.y()));
}

}  // namespace

bool StartUp(MainWindow& window, WorkbookOpener& opener, Dialogs& dialogs) {
  InitKestriloResources();
  StepGuard guard(dialogs);
  guard.Run(Step::kApplySkin, [&] { ApplySkin(window); });
  LoadHandPointer(window.pointer());
  window.setWindowTitle(Tr(texts::kProductName));
  // The program's icon on every window it opens, the workbook windows too.
  const QIcon icon(QStringLiteral(":/kestrilo/kestrilo.png"));
  QApplication::setWindowIcon(icon);
  window.setWindowIcon(icon);
  SetApplicationTitle();
  window.settings().Restore(guard);
  if (opener.CanOpenWindows()) return true;
  dialogs.Message(Tr(texts::kNoWindows));
  return false;
}

}  // namespace kestrilo::gui
