#include "platform/file_lock.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <mutex>
#include <vector>

namespace fotoloom {
namespace {

// The locks this process holds: flock would refuse a second descriptor of the same file.
struct HeldLock {
  std::string path;
  dev_t device;
  ino_t inode;
  int fd;
  int holders;
};
std::mutex g_mutex;
std::vector<HeldLock> g_held;

bool SameFile(const struct stat& a, dev_t device, ino_t inode) {
  return a.st_dev == device && a.st_ino == inode;
}

}  // namespace

FileLock::FileLock(const std::string& path) : path_(path) {
  // A retry follows only a holder that removed the file between our open and our lock.
  for (int attempt = 0; attempt < 100; ++attempt) {
    const int fd = open(path.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    struct stat opened;
    if (fd < 0 || fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
      if (fd >= 0) close(fd);
      return;
    }
    const std::lock_guard<std::mutex> guard(g_mutex);
    const auto held = std::find_if(g_held.begin(), g_held.end(), [&](const HeldLock& lock) {
      return SameFile(opened, lock.device, lock.inode);
    });
    if (held != g_held.end()) {
      close(fd);
      ++held->holders;
      path_ = held->path;
      state_ = State::kHeld;
      return;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
      const int error = errno;
      close(fd);
      state_ = error == EWOULDBLOCK ? State::kBusy : State::kUnavailable;
      return;
    }
    struct stat now;
    if (lstat(path.c_str(), &now) != 0 || !SameFile(now, opened.st_dev, opened.st_ino)) {
      close(fd);
      continue;
    }
    g_held.push_back({path, opened.st_dev, opened.st_ino, fd, 1});
    state_ = State::kHeld;
    return;
  }
}

FileLock::~FileLock() {
  if (state_ != State::kHeld) return;
  const std::lock_guard<std::mutex> guard(g_mutex);
  const auto held = std::find_if(g_held.begin(), g_held.end(),
                                 [&](const HeldLock& lock) { return lock.path == path_; });
  if (held == g_held.end() || --held->holders > 0) return;
  // Removed while still locked: whoever opened it meanwhile finds it gone and starts again.
  unlink(held->path.c_str());
  close(held->fd);
  g_held.erase(held);
}

}  // namespace fotoloom
