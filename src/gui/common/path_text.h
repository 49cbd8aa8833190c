// SPDX-License-Identifier: MIT

#pragma once

#include <QString>
#include <QUrl>
#include <string>

namespace kestrilo::gui {

/// The text shown for a path, which the system keeps as bytes: read as
/// UTF-8, each byte that is not part of valid UTF-8 shown as U+FFFD. It
/// cannot be turned back into the same bytes, so anything that opens or
/// names a file keeps the bytes themselves.
QString PathText(const std::string& path);

/// The bytes of a path the user typed or chose as text.
std::string PathBytes(const QString& text);

/// The bytes of a local file's path in a "file:" URL. A file manager sends
/// each byte of a name that is not UTF-8 percent-encoded; QUrl::toLocalFile
/// would make replacement characters of them, and the file could not be
/// opened.
std::string LocalFileBytes(const QUrl& url);

/// The bytes of a path named on the command line: a "file:" URL (as file
/// managers pass them) or a path, made absolute from the current folder.
std::string ArgumentPathBytes(const std::string& argument);

}  // namespace kestrilo::gui
