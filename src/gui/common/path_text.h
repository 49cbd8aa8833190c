#pragma once

#include <QString>
#include <string>

namespace kestrilo::gui {

/// The text shown for a path, which the system keeps as bytes: read as
/// UTF-8, each byte that is not part of valid UTF-8 shown as U+FFFD. It
/// cannot be turned back into the same bytes, so anything that opens or
/// names a file keeps the bytes themselves.
QString PathText(const std::string& path);

/// The bytes of a path the user typed or chose as text.
std::string PathBytes(const QString& text);

}  // namespace kestrilo::gui
