// SPDX-License-Identifier: MIT

#include "gui/common/path_text.h"

#include <QByteArray>
#include <QFile>
#include <filesystem>
#include <system_error>

namespace kestrilo::gui {

QString PathText(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string PathBytes(const QString& text) {
  return QFile::encodeName(text).toStdString();
}

std::string LocalFileBytes(const QUrl& url) {
  if (!url.host().isEmpty()) return PathBytes(url.toLocalFile());
  return QByteArray::fromPercentEncoding(
             url.path(QUrl::FullyEncoded).toLatin1())
      .toStdString();
}

std::string ArgumentPathBytes(const std::string& argument) {
  if (argument.starts_with("file:")) {
    const QUrl url(QString::fromLatin1(argument));
    if (url.isLocalFile()) return LocalFileBytes(url);
  }
  std::error_code error;
  const std::filesystem::path absolute =
      std::filesystem::absolute(argument, error);
  if (error) return argument;
  std::string path = absolute.lexically_normal().string();
  if (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace kestrilo::gui
