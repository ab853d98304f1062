#include "platform/instance_lock.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace lumetra::platform {

InstanceLock::~InstanceLock() { Release(); }

bool InstanceLock::Acquire(const std::string& folder) {
  Release();
  std::string path = folder + "/TarvoLumetra";
  fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd_ < 0) {
    std::fprintf(stderr, "lumetra: cannot open the lock file %s: %s\n", path.c_str(), std::strerror(errno));
    otherCopy_ = false;
    return true;
  }
  if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
    otherCopy_ = false;
    return true;
  }
  otherCopy_ = (errno == EWOULDBLOCK);
  ::close(fd_);
  fd_ = -1;
  if (!otherCopy_) std::fprintf(stderr, "lumetra: cannot lock %s: %s\n", path.c_str(), std::strerror(errno));
  return !otherCopy_;
}

void InstanceLock::Release() {
  if (fd_ >= 0) {
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
  }
}

}  // namespace lumetra::platform
