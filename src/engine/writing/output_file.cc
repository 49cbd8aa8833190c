// SPDX-License-Identifier: MIT

#include "engine/writing/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <set>
#include <stdexcept>
#include <utility>

#include "engine/files/file_names.h"
#include "engine/files/write_failure.h"

namespace kestrilo {

namespace {

// Writes all of `text` to `fd`, retrying short writes and interruptions.
// Returns 0 or the errno of the failure.
int WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t written = ::write(fd, text.data(), text.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    text.remove_prefix(static_cast<std::size_t>(written));
  }
  return 0;
}

// The temporary files being written, so that a program ending on a signal
// can remove them. Files are created and renamed under the lock: once
// AbandonTemporaryFiles holds it, none appears that it does not see.
struct TemporaryFiles {
  std::mutex mutex;
  std::set<std::string> paths;
};

TemporaryFiles& Temporaries() {
  static TemporaryFiles* files = new TemporaryFiles;  // outlives every thread
  return *files;
}

// Creates a new, empty file beside `path` under a name no one else uses and
// records it. Returns the descriptor, or -1 with errno set.
int CreateTemporaryBeside(const std::string& path, std::string& temp) {
  static std::atomic<unsigned> counter{0};
  const std::string stem = FolderOfPath(path) + "/." +
                           FileNameOfPath(path).substr(0, 100) + "." +
                           std::to_string(::getpid()) + ".";
  TemporaryFiles& files = Temporaries();
  std::lock_guard lock(files.mutex);
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp = stem + std::to_string(counter++) + ".tmp";
    const int fd =
        ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) files.paths.insert(temp);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// Renames the finished temporary file over `path`, or removes it on
// `error`. Returns 0 or the errno of a failed rename.
int PutInPlace(const std::string& temp, const std::string& path, int error) {
  TemporaryFiles& files = Temporaries();
  std::lock_guard lock(files.mutex);
  if (error == 0 && std::rename(temp.c_str(), path.c_str()) != 0) {
    error = errno;
  }
  if (error != 0) ::unlink(temp.c_str());
  files.paths.erase(temp);
  return error;
}

// A replaced file keeps its permissions and, where we may set them, its
// owner and group: a private 0600 file must not come back readable by all.
// A new file gets the permissions of any new file (0666 less the umask),
// and so does one that replaces a link: the rename replaces the link, not
// the file it points to, whose owner and mode are none of the new file's
// business (a link planted in a shared folder would otherwise hand them
// out).
struct Replaced {
  bool exists = false;
  struct stat info {};
};

Replaced ExistingFile(const std::string& path) {
  Replaced replaced;
  replaced.exists = ::lstat(path.c_str(), &replaced.info) == 0 &&
                    S_ISREG(replaced.info.st_mode);
  return replaced;
}

int TakeOverAttributes(int fd, const Replaced& replaced) {
  if (!replaced.exists) return 0;
  if ((replaced.info.st_uid != ::geteuid() ||
       replaced.info.st_gid != ::getegid()) &&
      ::fchown(fd, replaced.info.st_uid, replaced.info.st_gid) != 0) {
    // Not ours to give away: the file is still written, owned by us.
  }
  return ::fchmod(fd, replaced.info.st_mode & 07777) == 0 ? 0 : errno;
}

}  // namespace

OutputFile::OutputFile(std::string path) : path_(std::move(path)) {
  if (path_.empty()) Fail("no file name given", ENOENT);
  const Replaced replaced = ExistingFile(path_);
  fd_ = CreateTemporaryBeside(path_, temp_);
  if (fd_ < 0) {
    const int error = errno;
    temp_.clear();  // never created
    Fail("cannot create a file in its folder", error);
  }
  if (const int error = TakeOverAttributes(fd_, replaced); error != 0) {
    Fail("cannot keep the permissions of the file", error);
  }
}

OutputFile::~OutputFile() {
  if (fd_ >= 0) ::close(fd_);
  if (!temp_.empty()) PutInPlace(temp_, path_, ECANCELED);
}

void OutputFile::Write(std::string_view text) {
  if (fd_ < 0) Fail("writing failed", EBADF);
  if (const int error = WriteAll(fd_, text); error != 0) {
    Fail("writing failed", error);
  }
  bytes_ += text.size();
  StartWriteback();
}

// The disk takes the text while more of it is made, rather than all of it
// at once in Commit's flush, which then waits only for the last stretch: a
// megabyte, whose writing takes well under a millisecond.
void OutputFile::StartWriteback() {
#ifdef __linux__
  constexpr std::uint64_t kStretch = std::uint64_t{1} << 20;
  if (bytes_ - written_back_ < kStretch) return;
  const std::uint64_t end = bytes_ - bytes_ % kStretch;
  // Only a hint: a failure shows again, and is reported, in Commit.
  ::sync_file_range(fd_, static_cast<off_t>(written_back_),
                    static_cast<off_t>(end - written_back_),
                    SYNC_FILE_RANGE_WRITE);
  written_back_ = end;
#endif
}

void OutputFile::Restart() {
  if (fd_ < 0) Fail("writing failed", EBADF);
  if (::ftruncate(fd_, 0) != 0 || ::lseek(fd_, 0, SEEK_SET) != 0) {
    Fail("writing failed", errno);
  }
  bytes_ = 0;
  written_back_ = 0;
}

void OutputFile::Commit() {
  if (fd_ < 0) Fail("writing failed", EBADF);
  int error = ::fsync(fd_) == 0 ? 0 : errno;
  if (::close(fd_) != 0 && error == 0) error = errno;
  fd_ = -1;
  if (error != 0) Fail("writing failed", error);
  error = PutInPlace(temp_, path_, 0);
  temp_.clear();  // renamed, or removed by PutInPlace
  if (error != 0) Fail("cannot replace the file", error);
}

// Ends the file for good: the temporary file goes at once, so that a failed
// write never leaves a partial file even while the caller unwinds.
void OutputFile::Fail(const char* step, int error) {
  failed_ = true;
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temp_.empty()) PutInPlace(temp_, path_, error);
  temp_.clear();
  throw std::runtime_error("Cannot write \"" + path_ + "\": " + step + ": " +
                           WriteFailureText(error));
}

void WriteTextFile(std::string_view text, const std::string& path) {
  OutputFile file(path);
  file.Write(text);
  file.Commit();
}

void CommitBeside(OutputFile& file, std::string_view beside_text,
                  const std::string& beside_path) {
  OutputFile beside(beside_path);
  beside.Write(beside_text);
  file.Commit();
  beside.Commit();
}

void AbandonTemporaryFiles() {
  TemporaryFiles& files = Temporaries();
  files.mutex.lock();  // held for good: the program is ending
  for (const std::string& temp : files.paths) ::unlink(temp.c_str());
  files.paths.clear();
}

}  // namespace kestrilo
