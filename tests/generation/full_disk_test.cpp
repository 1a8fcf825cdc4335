// Failed writes and reads: a full disk (a file size limit in a child process) ends the run
// with an error naming the file and leaves every earlier file whole, with no temporary or
// empty file behind; a read error is an error, not the end of the file.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <map>

#include "catalog_fixture.h"
#include "files/file_errors.h"
#include "generation/album.h"

namespace fotoloom::testing {
namespace {

// Runs action in a child process whose files may not grow beyond limit bytes. SIGXFSZ is
// ignored, so a write past the limit fails with EFBIG as one on a full disk fails with ENOSPC.
// Returns the message of the error the action raised; "" when it raised none.
std::string RunWithFileSizeLimit(rlim_t limit, const std::function<void()>& action) {
  int pipe_fds[2];
  if (::pipe(pipe_fds) != 0) return "pipe failed";
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(pipe_fds[0]);
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit rl{limit, limit};
    ::setrlimit(RLIMIT_FSIZE, &rl);
    std::string message;
    try {
      action();
    } catch (const std::exception& e) {
      message = e.what();
    }
    if (::write(pipe_fds[1], message.data(), message.size()) < 0) ::_exit(1);
    ::_exit(0);
  }
  ::close(pipe_fds[1]);
  std::string message;
  char buffer[512];
  for (ssize_t n; (n = ::read(pipe_fds[0], buffer, sizeof buffer)) > 0;) message.append(buffer, n);
  ::close(pipe_fds[0]);
  ::waitpid(pid, nullptr, 0);
  return message;
}

class FullDiskTest : public CatalogTest {
 protected:
  // Every file below the album directory with its content.
  std::map<std::string, std::string> Files() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(album_))
      if (entry.is_regular_file()) files[entry.path()] = Read(entry.path());
    return files;
  }
};

TEST_F(FullDiskTest, AFullDiskEndsTheRunAndKeepsEveryEarlierFile) {
  Image("p00.jpg", 8, 6);
  Image("p01.jpg", 8, 6);
  // A footer large enough that the page cannot be written where the thumbnails still can.
  Album().AlbumFooter = std::string(40000, 'f');
  const AlbumSettings settings = Album();
  generate();
  ASSERT_EQ(GetMessages(), "");
  const std::map<std::string, std::string> before = Files();

  const struct {
    rlim_t limit;
    std::string failed;
  } cases[] = {
      {100, (data() / "p00 (1).jpg").string()},  // the first thumbnail
      {20000, "index.html"},                     // the index page
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.limit);
    Album() = settings;
    EXPECT_EQ(RunWithFileSizeLimit(c.limit, [] { generate(); }), "Unable to write to " + c.failed);
    const std::map<std::string, std::string> after = Files();
    for (const auto& [path, content] : before) {
      ASSERT_TRUE(after.count(path)) << path;
      EXPECT_TRUE(after.at(path) == content) << path;
    }
    for (const auto& [path, content] : after) {
      const std::string name = fs::path(path).filename();
      EXPECT_TRUE(name.rfind(".fotoloom-", 0) != 0 || name == ".fotoloom-data") << path;
      EXPECT_FALSE(content.empty() && name != ".fotoloom-data") << path;
    }
  }
}

TEST_F(FullDiskTest, AReadErrorIsAnErrorNotTheEndOfTheFile) {
  // Reading this file fails with EIO at once, though it is a regular file.
  const fs::path background = root_ / "bg.gif";
  const fs::path photo = album_ / "eio.jpg";
  Image("good.jpg", 8, 6);
  for (const fs::path& failing : {background, photo}) {
    SCOPED_TRACE(failing);
    fs::create_symlink("/proc/self/mem", failing);
    ResetAlbumSettings();
    Album().AlbumDirectory = album_.string();
    Album().ThumbDirectory = "fldata";
    if (failing == background) Album().BgImage = background.string();
    try {
      generate();
      ADD_FAILURE() << "a file that cannot be read passed for a short one";
    } catch (const FileOpenError& e) {
      EXPECT_EQ(std::string(e.what()), "Cannot open file " + failing.string());
    }
    fs::remove(failing);
  }
}

}  // namespace
}  // namespace fotoloom::testing
