#include "platform/paths.h"

#include <errno.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace fotoloom {

std::string WithTrailingSeparator(const std::string& path) {
  if (path.empty() || path.back() == kPathSeparator) return path;
  return path + kPathSeparator;
}

std::string ExtractFileName(const std::string& path) {
  const std::size_t slash = path.rfind(kPathSeparator);
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ExtractFilePath(const std::string& path) {
  const std::size_t slash = path.rfind(kPathSeparator);
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string ExtractFileExt(const std::string& path) {
  const std::size_t slash = path.rfind(kPathSeparator);
  const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot < start) return std::string();
  return path.substr(dot);
}

std::string StripFileExt(const std::string& path) {
  return path.substr(0, path.size() - ExtractFileExt(path).size());
}

std::string ExpandFileName(const std::string& path) {
  std::string full = path;
  if (full.empty() || full.front() != kPathSeparator) {
    std::string cwd = GetCurrentDir();
    if (cwd.empty()) cwd.push_back(kPathSeparator);
    full.insert(0, cwd);
  }
  const bool trailing = full.back() == kPathSeparator;

  std::vector<std::string> parts;
  std::size_t pos = 0;
  while (pos <= full.size()) {
    std::size_t next = full.find(kPathSeparator, pos);
    if (next == std::string::npos) next = full.size();
    std::string part = full.substr(pos, next - pos);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(std::move(part));
    }
    pos = next + 1;
  }

  std::string result;
  for (const std::string& part : parts) {
    result += kPathSeparator;
    result += part;
  }
  if (result.empty() || trailing) result += kPathSeparator;
  return result;
}

std::string ResolveAgainst(const std::string& directory, const std::string& path) {
  if (path.empty() || path.front() == kPathSeparator) return path;
  return ExpandFileName(WithTrailingSeparator(ExpandFileName(directory)) + path);
}

std::string GetCurrentDir() {
  std::vector<char> buffer(PATH_MAX);
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return std::string();
    buffer.resize(buffer.size() * 2);
  }
  return WithTrailingSeparator(buffer.data());
}

bool SetCurrentDir(const std::string& dir) { return !dir.empty() && chdir(dir.c_str()) == 0; }

bool CreateDir(const std::string& dir) { return !dir.empty() && mkdir(dir.c_str(), 0777) == 0; }

bool FileExists(const std::string& path) {
  struct stat st;
  return !path.empty() && stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
  struct stat st;
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool NameTaken(const std::string& path) {
  struct stat st;
  return !path.empty() && lstat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

std::size_t MaxFileNameBytes(const std::string& directory) {
  errno = 0;
  const long limit = pathconf(directory.empty() ? "." : directory.c_str(), _PC_NAME_MAX);
  return limit > 0 ? static_cast<std::size_t>(limit) : 255;
}

std::string ExecutableDirectory() {
  std::vector<char> buffer(PATH_MAX);
  for (;;) {
    const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return std::string();
    if (static_cast<std::size_t>(n) < buffer.size()) {
      return ExtractFilePath(std::string(buffer.data(), static_cast<std::size_t>(n)));
    }
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace fotoloom
