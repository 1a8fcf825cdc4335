#include "platform/permissions.h"

#include <sys/stat.h>
#include <unistd.h>

namespace fotoloom {

bool IsReadOnly(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && (st.st_mode & S_IWUSR) == 0;
}

bool GetPermissions(const std::string& path, std::uint32_t* bits) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return false;
  *bits = st.st_mode & 07777;
  return true;
}

bool SetPermissions(const std::string& path, std::uint32_t bits) {
  return chmod(path.c_str(), static_cast<mode_t>(bits & 07777)) == 0;
}

bool RemoveFile(const std::string& path) {
  // Removing a link never touches the file it leads to, so only a real file's mode counts.
  struct stat st;
  if (lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  if (!S_ISLNK(st.st_mode) && (st.st_mode & S_IWUSR) == 0) return false;
  return unlink(path.c_str()) == 0;
}

}  // namespace fotoloom
