// fotoloom-cli against faults around it: settings files that give nothing or odd values, a
// directory name with a line break, a refused page check after a "yes", a reader that went
// away, a file size limit.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "cli_process.h"
#include "link_check.h"
#include "test_images.h"

namespace fotoloom::testing {
namespace {

namespace fs = std::filesystem;

class CliFaultsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "fotoloom-faults-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    album_ = root_ / "album";
    fs::create_directory(album_);
    WriteJpeg((album_ / "a.jpg").string(), 16, 12);
    WriteJpeg((album_ / "b.jpg").string(), 16, 12);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  std::string Settings(const std::string& text, const std::string& name = "Settings.ini") {
    std::ofstream(root_ / name, std::ios::binary) << text;
    return (root_ / name).string();
  }

  fs::path root_, album_;
};

// Runs fotoloom-cli after prepare() in the child; its output goes to a pipe whose reader is
// gone before the program starts. Returns the wait status.
int RunUnread(const std::vector<std::string>& args, const std::function<void()>& prepare) {
  int fds[2];
  if (::pipe(fds) != 0) return -1;
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(fds[1], STDOUT_FILENO);
    ::dup2(fds[1], STDERR_FILENO);
    ::close(fds[0]);
    ::signal(SIGPIPE, SIG_DFL);
    prepare();
    ExecCli(args);
  }
  ::close(fds[0]);
  ::close(fds[1]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  return status;
}

TEST_F(CliFaultsTest, SettingsFilesThatGiveNothingAreRefusedAndAByteOrderMarkIsPassedOver) {
  const std::string fifo = (root_ / "fifo.ini").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  for (const std::string& bad : {fifo, Settings("[Other]\nAlbumFileName=x.html\n", "other.ini")}) {
    const CliResult r = RunCli({"--settings", bad, album_.string()});
    EXPECT_EQ(r.exit_code, 2) << bad;
    EXPECT_NE(r.err.find(bad), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(album_ / "fldata")) << bad;
  }
  const std::string bom = Settings("\xEF\xBB\xBF[Settings]\nAlbumFileName=bom.html\n");
  const CliResult r = RunCli({"--settings", bom, album_.string()});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_TRUE(fs::exists(album_ / "bom.html"));
}

TEST_F(CliFaultsTest, OutOfRangeSettingsNeverBreakThePages) {
  const std::string settings = Settings(
      "[Settings]\nAlbumFileName=index.html\nHeaderSize=9\nHeaderColor=-1\nTextColor=$FFFFFFFF\n"
      "SlideShow=1\nSlideShowDelay=-5\n");
  const CliResult r = RunCli({"--settings", settings, album_.string()});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  const std::string index = ReadWholeFile(album_ / "index.html");
  EXPECT_NE(index.find("<h2><font color=\"#FFFFFF\">"), std::string::npos) << index;
  EXPECT_NE(index.find(" text=\"#FFFFFF\" "), std::string::npos) << index;
  EXPECT_NE(ReadWholeFile(album_ / "fldata" / "a.html").find("content=0;url="), std::string::npos);
}

TEST_F(CliFaultsTest, RefusesADirectoryNameWithALineBreak) {
  fs::rename(album_, root_ / "x y");
  const CliResult r = RunCli({"x\ny"}, root_.string());
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_NE(r.err.find("control character"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(root_ / "x y" / "fldata"));
}

TEST_F(CliFaultsTest, NothingIsDeletedBeforeEveryPageHasPassed) {
  std::ofstream(album_ / "index.html") << "old catalog";
  std::ofstream(album_ / "old001.html") << "old numbered page";
  for (const char* name : {"index.html", "old.html"}) {
    const std::string settings = Settings(std::string("[Settings]\nAlbumFileName=") + name +
                                          "\nUseDefaultsOnPage6=1\nBgImage=/no/such/image.jpg\n");
    const CliResult r = RunCli({"--yes", "--settings", settings, album_.string()});
    EXPECT_EQ(r.exit_code, 2) << r.err;
  }
  EXPECT_EQ(ReadWholeFile(album_ / "index.html"), "old catalog");
  EXPECT_EQ(ReadWholeFile(album_ / "old001.html"), "old numbered page");
}

TEST_F(CliFaultsTest, AGoneReaderOrAFileSizeLimitNeitherKillsTheProgramNorPassesForSuccess) {
  const std::string settings = Settings("[Settings]\nAlbumFileName=index.html\n");
  const std::vector<std::string> args = {"--settings", settings, album_.string()};
  const int piped = RunUnread(args, [] {});
  EXPECT_TRUE(WIFEXITED(piped) && WEXITSTATUS(piped) == 0) << "wait status " << piped;
  EXPECT_TRUE(fs::exists(album_ / "index.html"));

  fs::remove_all(album_ / "fldata");
  fs::remove(album_ / "index.html");
  const int limited = RunUnread(args, [] {
    const rlimit rl{100, 100};
    ::setrlimit(RLIMIT_FSIZE, &rl);
  });
  EXPECT_TRUE(WIFEXITED(limited) && WEXITSTATUS(limited) == 3) << "wait status " << limited;
}

}  // namespace
}  // namespace fotoloom::testing
