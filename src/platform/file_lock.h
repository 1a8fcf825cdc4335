// An exclusive advisory lock (flock) on a file, taken without waiting.
//
// The lock file is created when missing (0666 less the umask, never through a link) and removed
// by the last holder just before the lock is released, so only a process that died holding it
// leaves one behind; such a file blocks nobody, since the lock went with the process. A holder
// checks after locking that the file is still the one at the path, so a file removed meanwhile
// by the holder before it is never mistaken for the lock. A process that holds the lock already
// joins it (a second FileLock on the same file in one process is held, not refused).
#pragma once

#include <string>

namespace fotoloom {

class FileLock {
 public:
  enum class State {
    kHeld,         // this object holds the lock (alone or joined) until it is destroyed
    kBusy,         // another process holds it
    kUnavailable,  // no lock file could be opened (a folder not writable, a link at the name)
  };

  explicit FileLock(const std::string& path);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  State state() const { return state_; }

 private:
  std::string path_;
  State state_ = State::kUnavailable;
};

}  // namespace fotoloom
