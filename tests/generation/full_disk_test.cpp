// Failed writes and reads: a full disk (a file size limit in a child process) ends the run
// with an error naming the file and leaves every earlier file whole, with no temporary or
// empty file behind; a read error is an error, not the end of the file; memory running out (an
// address-space limit) is a warning naming the photo, never a picture without thumbnail.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <map>

#include "catalog_fixture.h"
#include "files/file_errors.h"
#include "generation/album.h"

namespace fotoloom::testing {
namespace {

// Runs action in a child process under the resource limit: with RLIMIT_FSIZE its files may not
// grow beyond limit bytes (SIGXFSZ is ignored, so a write past the limit fails with EFBIG as
// one on a full disk fails with ENOSPC), with RLIMIT_AS no memory beyond it can be had.
// Returns what the action returned, or the message of the error it raised.
std::string RunWithLimit(int resource, rlim_t limit, const std::function<std::string()>& action) {
  int pipe_fds[2];
  if (::pipe(pipe_fds) != 0) return "pipe failed";
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(pipe_fds[0]);
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit rl{limit, limit};
    ::setrlimit(resource, &rl);
    std::string message;
    try {
      message = action();
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
    EXPECT_EQ(RunWithLimit(RLIMIT_FSIZE, c.limit,
                           [] {
                             generate();
                             return std::string();
                           }),
              "Unable to write to " + c.failed);
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

// The bytes of address space the process has mapped now.
rlim_t MappedBytes() {
  std::ifstream statm("/proc/self/statm");
  rlim_t pages = 0;
  statm >> pages;
  return pages * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE));
}

TEST_F(FullDiskTest, MemoryRunningOutIsAWarningNeverTheAlternativeImageAndNeverKept) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "a sanitizer's shadow memory does not fit under an address-space limit";
#endif
  // The large photo's preview in a 4000 x 4000 box takes 24 MB, and as much again while it is
  // encoded. A JPEG is read a band of rows at a time; a bitmap of the same size is held whole
  // (54 MB) while it is read.
  Image("small.jpg", 8, 6);
  Image("alternative.jpg", 8, 8, 0, root_);
  Album().EmptyThumbnail = (root_ / "alternative.jpg").string();
  Album().GenerateHTMLImages = true;
  Album().EraseExistingFiles = true;
  Album().PreviewImages = true;
  Album().PreviewWidth = Album().PreviewHeight = 4000;
  Album().ThumbnailWorkers = 1;
  Album().ThumbnailCache = (root_ / "cache").string() + "/";
  const AlbumSettings settings = Album();
  const struct {
    std::string short_for;
    std::string photo;
    bool thumbnail;
  } cases[] = {
      {"the preview", "big.jpg", true},
      {"the decode", "big.bmp", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.short_for);
    for (const char* other : {"big.jpg", "big.bmp"}) fs::remove(album_ / other);
    Image(c.photo, 6000, 3000);
    Album() = settings;
    const std::string messages = RunWithLimit(RLIMIT_AS, MappedBytes() + (rlim_t{16} << 20), [] {
      generate();
      return GetMessages();
    });
    EXPECT_EQ(messages,
              "Not enough memory to make every picture of " + (album_ / c.photo).string() + "\r");
    // Not the alternative image's thumbnail in the photo's place.
    EXPECT_EQ(fs::exists(data() / "big.jpg"), c.thumbnail);
    EXPECT_FALSE(fs::exists(data() / "big-preview.jpg"));
    EXPECT_TRUE(fs::exists(data() / "small.jpg"));
  }
  // With memory enough the next run makes what was missing: nothing incomplete was kept.
  Album() = settings;
  generate();
  EXPECT_EQ(GetMessages(), "");
  EXPECT_TRUE(fs::exists(data() / "big-preview.jpg"));
}

}  // namespace
}  // namespace fotoloom::testing
