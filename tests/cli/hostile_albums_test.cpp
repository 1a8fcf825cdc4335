// fotoloom-cli end to end over hostile albums: links leading out of the album, names that look
// like catalog files, settings that point the run at the user's own folder, and a run killed
// half-way, then run again. Every file and link outside the outputs is fingerprinted before
// and after: nothing the user owns may change, and nothing may appear outside the album.
#include <gtest/gtest.h>
#include <signal.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>

#include "cli_process.h"
#include "link_check.h"
#include "test_images.h"

namespace fotoloom::testing {
namespace {

namespace fs = std::filesystem;

// Every entry below root, links not followed: a file by its content's hash, a link by where
// it points, a directory as such.
std::map<std::string, std::string> Fingerprints(const fs::path& root) {
  std::map<std::string, std::string> prints;
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
       ++it) {
    const fs::path& path = it->path();
    const std::string key = fs::relative(path, root).string();
    if (it->is_symlink()) {
      prints[key] = "link " + fs::read_symlink(path).string();
    } else if (it->is_directory()) {
      prints[key] = "directory";
    } else {
      prints[key] = "file " + std::to_string(std::hash<std::string>{}(ReadWholeFile(path)));
    }
  }
  return prints;
}

struct Album {
  std::string name;
  // Lays out the album below root and returns the settings file's text.
  std::function<std::string(const fs::path& root)> build;
  int exit_code;
  std::set<std::string> outputs;  // existing paths, relative to root, the run may replace
  bool killed_first = false;      // a first run is killed while it writes thumbnails
};

void PrintTo(const Album& album, std::ostream* out) { *out << album.name; }

void Photos(const fs::path& album, const std::vector<std::string>& names, int size = 16) {
  for (const std::string& name : names) WriteJpeg((album / name).string(), size, size * 3 / 4);
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
  const CliResult r = RunCli(args);
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
    EXPECT_TRUE(name.rfind(".fotoloom-", 0) != 0 || name == ".fotoloom-data") << path;
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

}  // namespace
}  // namespace fotoloom::testing
