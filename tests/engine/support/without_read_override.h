// SPDX-License-Identifier: MIT
// A test's way to make a folder really unreadable, also as root.
#pragma once

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace kestrilo {

// Drops the capabilities that let root read any folder, so that a folder
// without permissions really is unreadable; restores them at the end.
class WithoutReadOverride {
 public:
  WithoutReadOverride() {
    if (geteuid() != 0) {
      active_ = true;  // permissions already apply
      return;
    }
    header_.version = _LINUX_CAPABILITY_VERSION_3;
    if (syscall(SYS_capget, &header_, saved_) != 0) return;
    __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
    reduced[0].effective &=
        ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
    active_ = syscall(SYS_capset, &header_, reduced) == 0;
    dropped_ = active_;
  }
  ~WithoutReadOverride() {
    if (dropped_) syscall(SYS_capset, &header_, saved_);
  }
  bool active() const { return active_; }

 private:
  __user_cap_header_struct header_{};
  __user_cap_data_struct saved_[2]{};
  bool active_ = false;
  bool dropped_ = false;
};

}  // namespace kestrilo
