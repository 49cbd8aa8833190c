#pragma once

#include <QString>

namespace kestrilo {

class FileListView;

/// The user's desktop folder followed by one native separator; the home
/// folder when the desktop folder does not exist. Throws
/// std::invalid_argument when the platform knows no desktop folder.
QString DesktopFolderPath();

/// Whether something exists at `path` whose time stamp can be read; false
/// for an empty text and on any failure.
bool PathExists(const QString& path);

/// Whether the list holds an entry whose text equals `text` exactly
/// (case-sensitive, no trimming).
bool ListHasItem(const FileListView& list, const QString& text);

}  // namespace kestrilo
