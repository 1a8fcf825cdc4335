// fotoloom-cli end to end over hostile albums: links leading out of the album, names that look
// like catalog files, settings that point the run at the user's own folder, a run killed
// half-way, then run again, what a killed run leaves behind, a read-only background. Every file
// and link outside the outputs is fingerprinted before and after: nothing the user owns may
// change, and nothing may appear outside the album. Then runs ended at an exact step: killed at
// every deletion of a cleaning, and ended by SIGTERM or SIGHUP while a file is being written.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>

#include "cli_process.h"
#include "fingerprints.h"
#include "link_check.h"
#include "test_images.h"
#include "traced_run.h"

namespace fotoloom::testing {
namespace {

namespace fs = std::filesystem;

struct Album {
  std::string name;
  // Lays out the album below root and returns the settings file's text.
  std::function<std::string(const fs::path& root)> build;
  int exit_code;
  std::set<std::string> outputs;  // existing paths, relative to root, the run may replace
  bool killed_first = false;      // a first run is killed while it writes thumbnails
  int runs = 1;                   // runs to their end; exit_code is the last one's
};

void PrintTo(const Album& album, std::ostream* out) { *out << album.name; }

void Photos(const fs::path& album, const std::vector<std::string>& names, int size = 16) {
  for (const std::string& name : names) WriteJpeg((album / name).string(), size, size * 3 / 4);
}

// The name the program's writer gives a temporary file: the prefix and exactly 8 letters or
// digits.
bool IsTemporaryName(const std::string& name) {
  static const std::string prefix = ".fotoloom-";
  if (name.size() != prefix.size() + 8 || name.rfind(prefix, 0) != 0) return false;
  return std::all_of(name.begin() + prefix.size(), name.end(),
                     [](unsigned char c) { return std::isalnum(c); });
}

// What only a killed run leaves behind: a temporary file, or the lock it held.
bool LeftByAKilledRun(const std::string& name) {
  return IsTemporaryName(name) || name == ".fotoloom-lock";
}

std::vector<std::string> TemporaryFiles(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir))
    if (IsTemporaryName(entry.path().filename())) names.push_back(entry.path().filename());
  return names;
}

const Album kAlbums[] = {
    {"links into other folders",
     [](const fs::path& root) {
       fs::create_directories(root / "elsewhere");
       fs::create_directories(root / "album/fldata");
       std::ofstream(root / "elsewhere/x.jpg") << "someone's photo";
       std::ofstream(root / "elsewhere/notes.txt") << "notes";
       std::ofstream(root / "elsewhere/hard.html") << "a page of the user's";
       Photos(root / "album", {"a.jpg", "b.jpg", "c.jpg"});
       fs::create_symlink("../../elsewhere/x.jpg", root / "album/fldata/a.jpg");
       fs::create_symlink("../../elsewhere/gone.jpg", root / "album/fldata/c.jpg");
       fs::create_hard_link(root / "elsewhere/hard.html", root / "album/fldata/b.html");
       fs::create_symlink("../elsewhere/notes.txt", root / "album/_cat002.html");
       fs::create_hard_link(root / "elsewhere/hard.html", root / "album/_cat003.html");
       return "AlbumFileName=_cat.html\nThumbsPerRow=1\nCreateMultipleFiles=1\n"
              "ThumbRowsPerFile=1\nUseDefaultsOnPage3=0\nEraseExistingFiles=1\n";
     },
     1,  // the folder holds no marker: not cleaned, and the run says so
     {"album/_cat002.html", "album/_cat003.html"}},
    {"names that look like catalog files",
     [](const fs::path& root) {
       fs::create_directories(root / "album");
       Photos(root / "album",
              {"Mountains.JPG", "Mo_beach.jpg", "IMG.jpg", std::string(251, 'n') + ".jpg"});
       std::ofstream(root / "album/Mo001.html") << "an old numbered page";
       return "AlbumFileName=Mo\n";
     },
     0,
     {"album/Mo001.html"}},
    {"the data directory is the user's folder",
     [](const fs::path& root) {
       fs::create_directories(root / "album/originals");
       Photos(root / "album", {"p1.jpg", "p2.jpg"});
       std::ofstream(root / "album/originals/raw1.nef") << "raw 1";
       std::ofstream(root / "album/originals/p1.jpg") << "not a thumbnail";
       return "ThumbDirectory=originals\nEraseExistingFiles=1\nAlbumFileName=catalog.html\n";
     },
     1,
     {}},
    {"a run killed half-way, then run again",
     [](const fs::path& root) {
       fs::create_directories(root / "album");
       WriteJpeg((root / "album/p00.jpg").string(), 1500, 1000);
       for (int i = 10; i < 22; ++i)
         fs::copy_file(root / "album/p00.jpg", root / "album" / ("p" + std::to_string(i) + ".jpg"));
       std::ofstream(root / "album/imgdesc.dat") << "p00.jpg|the first\n";
       return "AlbumFileName=index.html\nThumbsPerRow=1\nCreateMultipleFiles=0\n"
              "UseDefaultsOnPage3=0\nEraseExistingFiles=1\n";
     },
     0,
     {},
     true},
    {"what a killed run left, and a folder named like the old probe",
     [](const fs::path& root) {
       fs::create_directories(root / "album/fldata");
       fs::create_directories(root / "album/tmp.tmp");
       std::ofstream(root / "album/fldata/.fotoloom-data") << "marked";
       Photos(root / "album", {"a.jpg", "b.jpg"});
       std::ofstream(root / "album/.fotoloom-Ab3dEf9h") << "half a page";
       std::ofstream(root / "album/fldata/.fotoloom-0aB1cD2e") << "half a thumbnail";
       std::ofstream(root / "album/.fotoloom-lock");  // of a run that died holding it
       std::ofstream(root / "album/.fotoloom-not-mine") << "the user's";
       return "AlbumFileName=index.html\n";
     },
     0,
     {"album/.fotoloom-Ab3dEf9h", "album/fldata/.fotoloom-0aB1cD2e", "album/.fotoloom-lock"}},
    {"a read-only background, run again",
     [](const fs::path& root) {
       fs::create_directories(root / "album");
       Photos(root / "album", {"a.jpg"});
       WriteJpeg((root / "bg.jpg").string(), 8, 8);
       fs::permissions(root / "bg.jpg", fs::perms(0444));
       return "AlbumFileName=index.html\nEraseExistingFiles=1\nBgImage=" + (root / "bg.jpg").string() +
              "\n";
     },
     0,  // the copy of the first run is cleaned by the second
     {},
     false,
     2},
};

// Runs fotoloom-cli and kills it (SIGKILL) as soon as file appears; true when it was still
// running then.
bool KilledOnceWritten(const std::vector<std::string>& args, const fs::path& file) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int null = ::open("/dev/null", O_RDWR);
    for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) ::dup2(null, fd);
    ExecCli(args);
  }
  int status = 0;
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (fs::exists(file)) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      return WIFSIGNALED(status);
    }
    ::usleep(500);
  }
  return false;
}

class HostileAlbumsTest : public ::testing::TestWithParam<Album> {};

TEST_P(HostileAlbumsTest, NothingOutsideTheOutputsChanges) {
  const Album& album = GetParam();
  std::string pattern = (fs::temp_directory_path() / "fotoloom-hostile-XXXXXX").string();
  ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
  const fs::path root = pattern;
  std::ofstream(root / "Settings.ini", std::ios::binary) << "[Settings]\n" << album.build(root);
  const std::vector<std::string> args = {"--yes", "--settings", (root / "Settings.ini").string(),
                                         (root / "album").string()};
  const std::map<std::string, std::string> before = Fingerprints(root);

  if (album.killed_first) {
    ASSERT_TRUE(KilledOnceWritten(args, root / "album/fldata/p00.jpg"));
  }
  CliResult r;
  for (int run = 0; run < album.runs; ++run) r = RunCli(args);
  EXPECT_EQ(r.exit_code, album.exit_code) << r.err;

  const std::map<std::string, std::string> after = Fingerprints(root);
  for (const auto& [path, print] : before) {
    if (album.outputs.count(path)) continue;
    ASSERT_TRUE(after.count(path)) << path << " is gone";
    EXPECT_EQ(after.at(path), print) << path;
  }
  for (const auto& [path, print] : after) {
    const std::string name = fs::path(path).filename();
    EXPECT_TRUE(before.count(path) || path.rfind("album/", 0) == 0) << path << " appeared";
    EXPECT_FALSE(LeftByAKilledRun(name)) << path;
  }
  if (r.exit_code != 3) {
    std::vector<fs::path> pages = HtmlFilesIn(root / "album");
    EXPECT_FALSE(pages.empty());
    EXPECT_EQ(BrokenLinks(pages), std::vector<std::string>{});
  }
  fs::remove_all(root);
}

INSTANTIATE_TEST_SUITE_P(Albums, HostileAlbumsTest, ::testing::ValuesIn(kAlbums),
                         [](const ::testing::TestParamInfo<Album>& info) {
                           std::string name;
                           for (char c : info.param.name) name += std::isalnum(c) ? c : '_';
                           return name;
                         });

class ExactStepTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "fotoloom-steps-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    album_ = root_ / "album";
    data_ = album_ / "fldata";
    fs::create_directories(album_);
    Photos(album_, {"a.jpg", "b.jpg", "c.jpg"});
  }
  void TearDown() override { fs::remove_all(root_); }
  std::vector<std::string> Args(const std::string& settings) {
    std::ofstream(root_ / "Settings.ini", std::ios::binary) << "[Settings]\n" << settings;
    return {"--yes",   "--quiet", "--no-cache",          "--jobs",
            "1",       "--settings", (root_ / "Settings.ini").string(), album_.string()};
  }

  fs::path root_, album_, data_;
};

TEST_F(ExactStepTest, FilesTheSettingsNameSurviveAKillAtEveryStepOfTheCleaning) {
  // The user's only copies of a background and an alternative image, kept in the data folder.
  WriteJpeg((root_ / "bg.jpg").string(), 24, 16);
  WriteJpeg((root_ / "alt.jpg").string(), 12, 12);
  const std::string background = ReadWholeFile(root_ / "bg.jpg");
  const std::string alternative = ReadWholeFile(root_ / "alt.jpg");
  std::ofstream(album_ / "broken.jpg") << "gives no thumbnail: the alternative image stands in";
  const auto args = Args("AlbumFileName=index.html\nEraseExistingFiles=1\nBgImage=" +
                         (data_ / "bg.jpg").string() + "\nEmptyThumbnail=" +
                         (data_ / "alt.jpg").string() + "\n");
  const std::string in_data = data_.string() + "/";
  int kills = 0;
  for (int step = 1;; ++step) {
    SCOPED_TRACE("killed at deletion " + std::to_string(step));
    fs::remove_all(data_);
    fs::create_directory(data_);
    std::ofstream(data_ / ".fotoloom-data") << "marked";
    for (const char* stale : {"old1.jpg", "old2.jpg", "old1.html", "old2.html"})
      std::ofstream(data_ / stale) << "a thumbnail or page of an earlier run";
    fs::copy_file(root_ / "bg.jpg", data_ / "bg.jpg");
    fs::copy_file(root_ / "alt.jpg", data_ / "alt.jpg");
    int deletions = 0;
    const int status = RunTraced(args, [&](const SystemCall& call) {
      return DeletedPath(call).rfind(in_data, 0) == 0 && ++deletions == step ? SIGKILL : 0;
    });
    EXPECT_TRUE(ReadWholeFile(data_ / "bg.jpg") == background);
    EXPECT_TRUE(ReadWholeFile(data_ / "alt.jpg") == alternative);
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) {
      ++kills;
      continue;
    }
    // The step after the cleaning's last: the run went to its end.
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wait status " << status;
    break;
  }
  EXPECT_GE(kills, 4);  // one for each stale file at least
  // The next run takes the same settings again.
  const CliResult again = RunCli(args);
  EXPECT_EQ(again.exit_code, 0) << again.err;
  EXPECT_TRUE(ReadWholeFile(data_ / "alt.jpg") == alternative);
  EXPECT_EQ(BrokenLinks(HtmlFilesIn(album_)), std::vector<std::string>{});
}

TEST_F(ExactStepTest, TerminationRemovesTheFileBeingWrittenAndEndsByTheSignal) {
  const auto args = Args("AlbumFileName=index.html\n");
  for (const int signal_number : {SIGTERM, SIGHUP}) {
    SCOPED_TRACE(signal_number);
    fs::remove_all(data_);
    bool writing = false;
    const int status = RunTraced(args, [&](const SystemCall& call) {
      if (call.number != SYS_write) return 0;
      const fs::path file = TracedFile(call.pid, call.args[0]);
      writing = file.parent_path() == data_ && IsTemporaryName(file.filename());
      return writing ? signal_number : 0;
    });
    ASSERT_TRUE(writing) << "no temporary file was written";
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal_number) << "status " << status;
    // The lock file may stay: it blocks nobody once its holder is gone.
    EXPECT_EQ(TemporaryFiles(album_), std::vector<std::string>{});
    EXPECT_EQ(TemporaryFiles(data_), std::vector<std::string>{});
  }
}

}  // namespace
}  // namespace fotoloom::testing
