// SPDX-License-Identifier: MIT

#pragma once

#include <functional>
#include <string>

namespace kestrilo {

/// What a folder scan hands back to its caller while it runs. All hooks are
/// optional; an empty one is simply not called.
struct FolderScanHooks {
  /// Called between folders and subfolders, where a window lets its message
  /// loop run so that it stays responsive during a long scan.
  std::function<void()> yield = nullptr;
  /// Called with a message that names the folder and the problem when a
  /// folder fails in a way that is not simply "unreadable" (those are
  /// skipped); the scan goes on after it.
  std::function<void(const std::string& message)> report_error = nullptr;
  /// Called with "PATH: skipped: REASON" for each file or folder the scan
  /// leaves out (unreadable, a link to a folder, too long a path, a lock or
  /// hidden file...), so that nothing is left out in silence.
  std::function<void(const std::string& message)> report_skipped = nullptr;
};

}  // namespace kestrilo
