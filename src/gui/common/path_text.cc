#include "gui/common/path_text.h"

#include <QByteArray>
#include <QFile>

namespace kestrilo::gui {

QString PathText(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string PathBytes(const QString& text) {
  return QFile::encodeName(text).toStdString();
}

}  // namespace kestrilo::gui
