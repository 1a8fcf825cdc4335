// fotoloom-cli against faults around it: settings files that give nothing or odd values, a
// directory name with a line break, a refused page check or a failing run after a "yes", paths
// checked in one folder and used in another, a second run of the same album, a reader that went
// away, a file size limit. And the window's program where it shares them: its unattended run
// where nobody can see it, the album's lock, and its screenshots.
#include <gtest/gtest.h>
#include <sys/file.h>
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
  // A copy of the window's program in a folder of its own, beside default.jpg and a settings
  // file holding keys (the window has no --settings); "" when the build has no window.
  std::string Window(const std::string& keys = "") {
    const fs::path built = fs::path(FOTOLOOM_BIN_DIR) / "fotoloom";
    if (!fs::exists(built)) return {};
    const fs::path folder = root_ / "window";
    fs::create_directories(folder);
    fs::copy_file(built, folder / "fotoloom", fs::copy_options::overwrite_existing);
    fs::copy_file(fs::path(FOTOLOOM_BIN_DIR) / "default.jpg", folder / "default.jpg",
                  fs::copy_options::overwrite_existing);
    std::ofstream(folder / "Settings.ini", std::ios::binary) << "[Settings]\n" << keys;
    return (folder / "fotoloom").string();
  }

  fs::path root_, album_;
};

// A program that waits for an answer nobody gives is ended after two minutes by SIGALRM.
CliResult RunUnwatched(const std::string& program, const std::vector<std::string>& args,
                       const std::string& platform = "offscreen",
                       const std::string& working_directory = "") {
  return RunProgram(program, args, working_directory, {}, [platform] {
    ::setenv("QT_QPA_PLATFORM", platform.c_str(), 1);
    ::alarm(120);
  });
}

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

  // Nor before the run has checked what it can: here a description file it cannot read.
  ASSERT_EQ(::mkfifo((album_ / "imgdesc.dat").c_str(), 0644), 0);
  const std::string settings = Settings("[Settings]\nAlbumFileName=index.html\n");
  const CliResult r = RunCli({"--yes", "--settings", settings, album_.string()});
  EXPECT_EQ(r.exit_code, 3) << r.err;
  EXPECT_NE(r.err.find("Cannot open file " + (album_ / "imgdesc.dat").string()), std::string::npos)
      << r.err;
  EXPECT_EQ(ReadWholeFile(album_ / "index.html"), "old catalog");
}

TEST_F(CliFaultsTest, RelativePathsAreCheckedWhereTheRunUsesThemAndMustBeReadable) {
  // A relative path means a file beside the photos, where the run looks for it; the program is
  // started in another folder that holds files of the same names.
  const fs::path start = root_ / "start";
  fs::create_directories(start);
  WriteJpeg((start / "only-here.jpg").string(), 8, 8);
  WriteJpeg((album_ / "beside.jpg").string(), 8, 8);
  std::ofstream(album_ / "broken.jpg") << "no picture: the alternative image stands in";
  const struct {
    std::string keys;
    int exit_code;
    std::string copy;  // the data folder's file the pages name
  } cases[] = {
      {"BgImage=only-here.jpg", 2, ""},
      {"BgImage=beside.jpg", 0, "beside.jpg"},
      {"EmptyThumbnail=only-here.jpg", 2, ""},
      {"EmptyThumbnail=beside.jpg", 0, "broken.jpg"},
      {"EmptyThumbnail=/dev/zero", 2, ""},  // exists, gives nothing to read
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keys);
    fs::remove_all(album_ / "fldata");
    const std::string settings = Settings("[Settings]\nAlbumFileName=index.html\n" + c.keys + "\n");
    const CliResult r = RunCli({"--yes", "--settings", settings, album_.string()}, start.string());
    EXPECT_EQ(r.exit_code, c.exit_code) << r.err;
    if (c.exit_code != 0) continue;
    EXPECT_TRUE(fs::is_regular_file(album_ / "fldata" / c.copy));
    EXPECT_EQ(BrokenLinks(HtmlFilesIn(album_)), std::vector<std::string>{});
  }
}

TEST_F(CliFaultsTest, ASecondRunOfTheSameAlbumIsRefusedAtOnce) {
  const std::string settings = Settings("[Settings]\nAlbumFileName=index.html\n");
  const std::string window = Window("AlbumFileName=index.html\n");
  std::vector<std::pair<std::string, std::vector<std::string>>> runs = {
      {CliPath(), {"--settings", settings, album_.string()}}};
  if (!window.empty()) runs.push_back({window, {album_.string()}});
  const fs::path lock = album_ / ".fotoloom-lock";
  for (const auto& [program, args] : runs) {
    SCOPED_TRACE(program);
    // Another run holds the album's lock.
    const int held = ::open(lock.c_str(), O_RDONLY | O_CREAT, 0644);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    const CliResult refused = RunUnwatched(program, args);
    EXPECT_EQ(refused.exit_code, 2) << refused.err;
    EXPECT_NE(refused.err.find(album_.string()), std::string::npos) << refused.err;
    EXPECT_FALSE(fs::exists(album_ / "fldata"));
    // It ended: the lock it left blocks nobody, and the run that takes it removes it.
    ::close(held);
    const CliResult r = RunUnwatched(program, args);
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_FALSE(fs::exists(lock));
    fs::remove_all(album_ / "fldata");
    fs::remove(album_ / "index.html");
  }
}

TEST_F(CliFaultsTest, TheWindowWhereNobodyCanSeeItNeverWaitsAndExitsAsTheTerminalDoes) {
  const std::string window = Window();
  if (window.empty()) GTEST_SKIP() << "built without the window";
  fs::create_directories(root_ / "empty");
  fs::create_directories(root_ / "x y");
  WriteJpeg((root_ / "x y" / "p.jpg").string(), 8, 6);
  const struct {
    std::string name, platform;
    std::vector<std::string> args;
    std::function<void()> prepare;
    int exit_code;
    std::string said;
  } cases[] = {
      {"done", "minimal", {album_.string()}, [] {}, 0, ""},
      {"an earlier catalog: the question is answered no",
       "offscreen",
       {album_.string()},
       [] {},
       2,
       "Answered no"},
      {"warnings", "minimal", {(root_ / "empty").string()}, [] {}, 1,
       "Warning: Selected directory does not contain supported image files !"},
      {"an error ends the run",
       "offscreen",
       {album_.string()},
       [this] {
         fs::remove(album_ / "_cat.html");
         ASSERT_EQ(::mkfifo((album_ / "imgdesc.dat").c_str(), 0644), 0);
       },
       3,
       "Fotoloom: Cannot open file " + (album_ / "imgdesc.dat").string()},
      {"no directory", "offscreen", {}, [] {}, 2, "give an image directory"},
      {"a directory name with a line break", "offscreen", {"x\ny"}, [] {}, 2,
       "control character"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    c.prepare();
    const CliResult r = RunUnwatched(window, c.args, c.platform, root_.string());
    EXPECT_EQ(r.exit_code, c.exit_code) << r.err;
    EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
  }
  EXPECT_FALSE(fs::exists(root_ / "x y" / "fldata"));
}

TEST_F(CliFaultsTest, ScreenshotsReplaceALinkInsteadOfWritingThroughIt) {
  const fs::path window = fs::path(FOTOLOOM_BIN_DIR) / "fotoloom";
  if (!fs::exists(window)) GTEST_SKIP() << "built without the window";
  const fs::path pictures = root_ / "pictures";
  fs::create_directories(pictures);
  std::ofstream(root_ / "victim.txt") << "the user's";
  fs::create_symlink("../victim.txt", pictures / "page3-144dpi.png");
  const CliResult r = RunUnwatched(window.string(), {"--screenshots", pictures.string(), "144"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(ReadWholeFile(root_ / "victim.txt"), "the user's");
  EXPECT_FALSE(fs::is_symlink(pictures / "page3-144dpi.png"));
  EXPECT_EQ(ReadWholeFile(pictures / "page3-144dpi.png").substr(0, 4), "\x89PNG");
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
