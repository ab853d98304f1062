#pragma once
// One copy per user: an exclusive lock on the file "TarvoLumetra" in the
// runtime folder. The kernel releases it when the process ends, however it ends.
#include <string>

namespace lumetra::platform {

class InstanceLock {
 public:
  InstanceLock() = default;
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // True when this process now holds the lock; false when another copy does
  // (or the lock file cannot be opened at all, which is reported on stderr
  // and treated as "no other copy": better two copies than none).
  bool Acquire(const std::string& folder);
  bool OtherCopyRunning() const { return otherCopy_; }
  void Release();

 private:
  int fd_ = -1;
  bool otherCopy_ = false;
};

}  // namespace lumetra::platform
