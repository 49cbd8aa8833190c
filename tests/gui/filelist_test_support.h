// SPDX-License-Identifier: MIT

#pragma once

// Shared by the file list's Qt tests: temporary folder trees and a way to
// make a folder truly unreadable when running as root.

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include "../engine/support/without_read_override.h"

namespace kestrilo {

/// A temporary folder tree, removed at the end (permissions restored first).
class TempTree {
 public:
  QString root() const { return dir_.path(); }
  QString Folder(const QString& relative) const {
    const QString path = root() + "/" + relative;
    QDir().mkpath(path);
    return path;
  }
  QString File(const QString& relative) const {
    const QString path = root() + "/" + relative;
    QDir().mkpath(path.left(path.lastIndexOf('/')));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("x");
    return path;
  }
  void Lock(const QString& relative) {
    locked_ << root() + "/" + relative;
    QFile::setPermissions(locked_.last(), QFileDevice::Permissions());
  }
  ~TempTree() {
    for (const QString& path : locked_) {
      QFile::setPermissions(path, QFileDevice::ReadOwner |
                                      QFileDevice::WriteOwner |
                                      QFileDevice::ExeOwner);
    }
  }

 private:
  QTemporaryDir dir_;
  QStringList locked_;
};

}  // namespace kestrilo
