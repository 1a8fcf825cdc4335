// fotoloom-cli end to end: the built program on real directories, as a script would run it.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <string>

#include "cli_process.h"
#include "link_check.h"
#include "test_images.h"

namespace fotoloom::testing {
namespace {

namespace fs = std::filesystem;

class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "fotoloom-cli-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~TempDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

fs::path SampleAlbum() { return fs::path(FOTOLOOM_SOURCE_DIR) / "examples" / "sample-album"; }

fs::path CopyOfSampleAlbum(const TempDir& dir, const std::string& name = "album") {
  const fs::path album = dir.path() / name;
  fs::copy(SampleAlbum(), album, fs::copy_options::recursive);
  return album;
}

// A settings file in the wizard's format; keys not given take the wizard's defaults.
fs::path WriteSettings(const TempDir& dir, const std::string& keys,
                       const std::string& name = "Settings.ini") {
  const fs::path path = dir.path() / name;
  std::ofstream(path, std::ios::binary) << "[Settings]\n" << keys;
  return path;
}

int CountOf(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

std::string OnlyLine(const std::string& text) {
  return !text.empty() && text.back() == '\n' ? text.substr(0, text.size() - 1) : text;
}

TEST(CliTest, MakesANumberedCatalogWithTheGivenSettingsAndSavesNothing) {
  TempDir dir;
  const fs::path album = CopyOfSampleAlbum(dir);
  // 12 pictures, 4 per row and 2 rows per page: two numbered index pages.
  const std::string keys =
      "AlbumFileName=index.html\nThumbsPerRow=4\nCreateMultipleFiles=1\nThumbRowsPerFile=2\n"
      "SlideShow=1\nSlideShowDelay=3\n";
  const fs::path settings = WriteSettings(dir, keys);

  // A relative directory, resolved against the working directory of the call.
  CliResult r = RunCli({"--settings", settings.string(), "album"}, dir.path().string());

  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(OnlyLine(r.out), (album / "index001.html").string());
  EXPECT_EQ(r.err.find("Warning"), std::string::npos) << r.err;
  EXPECT_TRUE(fs::exists(album / "index002.html"));
  EXPECT_FALSE(fs::exists(album / "index.html"));

  const std::vector<fs::path> pages = HtmlFilesIn(album / "fldata");
  EXPECT_EQ(pages.size(), 12u);
  std::vector<fs::path> all = pages;
  all.push_back(album / "index001.html");
  all.push_back(album / "index002.html");
  EXPECT_EQ(BrokenLinks(all), std::vector<std::string>{});
  for (const fs::path& page : pages) {
    EXPECT_NE(ReadWholeFile(page).find("content=3;url="), std::string::npos) << page;
  }

  // The unattended run never writes the settings file, and leaves nothing beside the program.
  EXPECT_EQ(ReadWholeFile(settings), "[Settings]\n" + keys);
}

// The catalog style comes from the settings file; the default blue links on black give a note,
// which the terminal prints while the run still counts as done.
TEST(CliTest, ReadsTheCatalogStyleFromTheSettingsFile) {
  TempDir dir;
  const fs::path album = CopyOfSampleAlbum(dir);
  for (const char* style : {"0", "1"}) {
    SCOPED_TRACE(style);
    const fs::path settings = WriteSettings(
        dir, std::string("AlbumFileName=index.html\nCreateMultipleFiles=0\nCatalogStyle=") + style +
                 "\n");
    CliResult r = RunCli({"--yes", "--settings", settings.string(), album.string()});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    const bool modern = style == std::string("1");
    EXPECT_EQ(ReadWholeFile(album / "index.html").rfind("<!DOCTYPE html>\r\n", 0) == 0, modern);
    EXPECT_EQ(fs::exists(album / "fldata" / "fotoloom.js"), modern);
    EXPECT_EQ(r.err.find("Warning: Low contrast: the link colour #0000FF on the background "
                         "colour #000000") != std::string::npos,
              modern)
        << r.err;
  }
}

// The newer formats are listed only when the settings file asks, and then a TIFF photo, which a
// browser cannot show, gets the preview its image page shows.
TEST(CliTest, ReadsExtendedFormatsFromTheSettingsFile) {
  TempDir dir;
  const fs::path album = CopyOfSampleAlbum(dir);
  fs::copy_file(std::string(FOTOLOOM_SAMPLES_DIR) + "/rgb.tif", album / "scan.tif");
  for (const char* on : {"0", "1"}) {
    SCOPED_TRACE(on);
    const fs::path settings = WriteSettings(
        dir, std::string("AlbumFileName=index.html\nCreateMultipleFiles=0\nExtendedFormats=") + on +
                 "\n");
    CliResult r = RunCli({"--yes", "--settings", settings.string(), album.string()});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    const bool listed = on == std::string("1");
    EXPECT_EQ(ReadWholeFile(album / "index.html").find("scan.tif") != std::string::npos, listed);
    EXPECT_EQ(fs::exists(album / "fldata" / "scan-preview.jpg"), listed);
  }
}

TEST(CliTest, AnExistingCatalogIsOverwrittenOnlyWhenAnsweredYes) {
  TempDir dir;
  const fs::path album = CopyOfSampleAlbum(dir);
  const fs::path settings = WriteSettings(dir, "AlbumFileName=album.html\nCreateMultipleFiles=0\n");
  const fs::path catalog = album / "album.html";
  std::ofstream(catalog) << "my own page";

  // Without a terminal and without --yes the question is answered no: nothing is touched.
  for (const char* answer : {"", "--no"}) {
    std::vector<std::string> args{"--settings", settings.string(), album.string()};
    if (*answer) args.insert(args.begin(), answer);
    CliResult r = RunCli(args);
    EXPECT_EQ(r.exit_code, 2) << answer << r.err;
    EXPECT_NE(r.err.find("Selected Catalog file already exists in selected directory !\n"
                         "Do you want to overwrite existing file ?"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(ReadWholeFile(catalog), "my own page");
    EXPECT_FALSE(fs::exists(album / "fldata"));
  }

  CliResult yes = RunCli({"--yes", "--settings", settings.string(), album.string()});
  ASSERT_EQ(yes.exit_code, 0) << yes.err;
  EXPECT_EQ(OnlyLine(yes.out), catalog.string());
  EXPECT_EQ(CountOf(ReadWholeFile(catalog), "<img src="), 12);

  // Old numbered pages of the same name: "no" keeps them and still runs, "yes" deletes them.
  fs::remove(catalog);
  std::ofstream(album / "album001.html") << "old";
  CliResult keep = RunCli({"--settings", settings.string(), album.string()});
  EXPECT_EQ(keep.exit_code, 0) << keep.err;
  EXPECT_NE(keep.err.find("There is probably at least one Catalog file already"),
            std::string::npos);
  EXPECT_TRUE(fs::exists(album / "album001.html"));
  fs::remove(catalog);
  CliResult remove = RunCli({"-y", "--settings", settings.string(), album.string()});
  EXPECT_EQ(remove.exit_code, 0) << remove.err;
  EXPECT_FALSE(fs::exists(album / "album001.html"));
  EXPECT_TRUE(fs::exists(catalog));
}

TEST(CliTest, OnATerminalTheQuestionIsAskedAndTheProgressIsABar) {
  TempDir dir;
  const fs::path album = CopyOfSampleAlbum(dir);
  const fs::path settings = WriteSettings(dir, "AlbumFileName=album.html\nCreateMultipleFiles=0\n");
  const fs::path catalog = album / "album.html";
  std::ofstream(catalog) << "my own page";

  CliResult no = RunCliOnTerminal({"--settings", settings.string(), album.string()}, "n");
  EXPECT_EQ(no.exit_code, 2) << no.out;
  EXPECT_NE(no.out.find("Do you want to overwrite existing file ?"), std::string::npos) << no.out;
  EXPECT_EQ(ReadWholeFile(catalog), "my own page");

  CliResult yes = RunCliOnTerminal({"--settings", settings.string(), album.string()}, "yes");
  EXPECT_EQ(yes.exit_code, 0) << yes.out;
  EXPECT_EQ(CountOf(ReadWholeFile(catalog), "<img src="), 12);
  // The bar is redrawn in place, ends full, and the path follows on a line of its own.
  EXPECT_NE(yes.out.find("\r[########################] Done.\x1b[K"), std::string::npos) << yes.out;
  EXPECT_NE(yes.out.find("\n" + catalog.string() + "\r\n"), std::string::npos) << yes.out;
}

TEST(CliTest, ExitCodesTellRefusedChecksRunsWithoutPicturesAndErrorsApart) {
  TempDir dir;
  const fs::path settings = WriteSettings(dir, "");

  CliResult missing = RunCli({"--settings", settings.string(), (dir.path() / "nowhere").string()});
  EXPECT_EQ(missing.exit_code, 2);
  EXPECT_EQ(missing.out, "");
  // The message's "\r" line breaks come out as new lines.
  EXPECT_NE(missing.err.find("Warning: Selected image source / catalog directory does not exist "
                             "or it is not writable !\nPlease select"),
            std::string::npos)
      << missing.err;
  EXPECT_EQ(missing.err.find('\r'), std::string::npos);

  const fs::path empty = dir.path() / "empty";
  fs::create_directory(empty);
  std::ofstream(empty / "notes.txt") << "no pictures here";
  CliResult nothing = RunCli({"--settings", settings.string(), empty.string()});
  EXPECT_EQ(nothing.exit_code, 1);
  EXPECT_EQ(nothing.out, "");
  EXPECT_NE(
      nothing.err.find("Warning: Selected directory does not contain supported image files !"),
      std::string::npos)
      << nothing.err;

  // A bad page 6 (a background image that does not exist) stops the walk as well.
  const fs::path bad =
      WriteSettings(dir, "UseDefaultsOnPage6=1\nBgImage=/no/such/image.jpg\n", "bad.ini");
  CliResult background = RunCli({"--settings", bad.string(), CopyOfSampleAlbum(dir).string()});
  EXPECT_EQ(background.exit_code, 2);
  EXPECT_NE(background.err.find("Selected image for background image does not exist !"),
            std::string::npos);

  // A file where the data directory should be: the run cannot write its thumbnails, and the
  // error that ends it is reported like the window's general error report.
  const fs::path blocked = dir.path() / "blocked";
  fs::create_directory(blocked);
  WriteJpeg((blocked / "one.jpg").string(), 32, 32);
  std::ofstream(blocked / "fldata") << "in the way";
  CliResult error = RunCli({"--settings", settings.string(), blocked.string()});
  EXPECT_EQ(error.exit_code, 3);
  EXPECT_EQ(error.out, "");
  EXPECT_NE(error.err.find("Fotoloom: Cannot create file " + (blocked / "fldata").string() + ".\n"),
            std::string::npos)
      << error.err;
}

TEST(CliTest, ArgumentsAreChecked) {
  EXPECT_EQ(RunCli({}).exit_code, 2);
  EXPECT_EQ(RunCli({"--yes", "--no", "/tmp"}).exit_code, 2);
  EXPECT_EQ(RunCli({"--frobnicate", "/tmp"}).exit_code, 2);
  EXPECT_EQ(RunCli({"/tmp", "/var"}).exit_code, 2);
  EXPECT_EQ(RunCli({"--settings"}).exit_code, 2);
  for (const std::string jobs : {"0", "-2", "two", "2x", ""}) {
    EXPECT_EQ(RunCli({"--jobs", jobs, "/tmp"}).exit_code, 2) << jobs;
    EXPECT_EQ(RunCli({"--jobs=" + jobs, "/tmp"}).exit_code, 2) << jobs;
  }
  EXPECT_EQ(RunCli({"/tmp", "--jobs"}).exit_code, 2);

  CliResult no_settings = RunCli({"--settings", "/no/such/Settings.ini", "/tmp"});
  EXPECT_EQ(no_settings.exit_code, 2);
  EXPECT_NE(no_settings.err.find("/no/such/Settings.ini"), std::string::npos);
  // A settings file of gigabytes is not read at all (a hole stands for them).
  const fs::path huge = fs::temp_directory_path() / ("fotoloom-huge-" + std::to_string(::getpid()));
  std::ofstream(huge, std::ios::binary) << "[Settings]\nAlbumFileName=huge.html\n";
  fs::resize_file(huge, std::uintmax_t{2} << 30);
  CliResult too_large = RunCli({"--settings", huge.string(), "/tmp"});
  fs::remove(huge);
  EXPECT_EQ(too_large.exit_code, 2);
  EXPECT_NE(too_large.err.find(huge.string() + " is larger than 1 MiB"), std::string::npos)
      << too_large.err;

  CliResult help = RunCli({"--help"});
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_NE(help.out.find("--settings FILE"), std::string::npos);
  CliResult version = RunCli({"--version"});
  EXPECT_EQ(version.exit_code, 0);
  EXPECT_NE(version.out.find("2.0"), std::string::npos);
}

// Every file of the data folder with its bytes.
std::map<std::string, std::string> DataFiles(const fs::path& album) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(album / "fldata"))
    files[entry.path().filename().string()] = ReadWholeFile(entry.path());
  return files;
}

// Sets an environment variable for the programs started while it lives.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    const char* old = std::getenv(name);
    if (old != nullptr) old_ = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (old_)
      ::setenv(name_, old_->c_str(), 1);
    else
      ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(CliTest, TwoRunsAtOnceOnOneCacheBothMakeTheCatalogMadeWithoutIt) {
  TempDir dir;
  const ScopedEnv cache("XDG_CACHE_HOME", (dir.path() / "cache").string());
  const fs::path settings = WriteSettings(dir, "AlbumFileName=index.html\n");
  const fs::path reference = CopyOfSampleAlbum(dir, "reference");
  ASSERT_EQ(RunCli({"--settings", settings.string(), "--quiet", "--no-cache", reference}).exit_code,
            0);
  const std::map<std::string, std::string> expected = DataFiles(reference);
  // The second album holds links to the first one's photos: the same files, the same entries.
  const std::vector<fs::path> albums = {CopyOfSampleAlbum(dir, "one"), dir.path() / "two"};
  fs::create_directory(albums[1]);
  for (const auto& photo : fs::directory_iterator(albums[0]))
    fs::create_hard_link(photo.path(), albums[1] / photo.path().filename());
  // Both write every entry at once, then both read them at once.
  for (const char* round : {"empty cache", "warm cache"}) {
    SCOPED_TRACE(round);
    std::vector<pid_t> children;
    for (const fs::path& album : albums) {
      fs::remove_all(album / "fldata");
      const pid_t pid = fork();
      ASSERT_GE(pid, 0);
      if (pid == 0) {
        const int null = open("/dev/null", O_RDWR);
        dup2(null, STDIN_FILENO);
        dup2(null, STDOUT_FILENO);
        ExecCli({"--settings", settings.string(), "--quiet", "--yes", album.string()});
      }
      children.push_back(pid);
    }
    for (const pid_t pid : children) {
      int status = 0;
      ASSERT_EQ(waitpid(pid, &status, 0), pid);
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    for (const fs::path& album : albums) EXPECT_TRUE(DataFiles(album) == expected) << album;
  }
  // One entry per picture: the sample album has none that warns or fails.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path() / "cache/fotoloom/thumbnails"),
                          fs::directory_iterator()),
            12);
}

TEST(CliTest, NoCacheAndCacheOffLeaveTheCacheAlone) {
  TempDir dir;
  const fs::path folder = dir.path() / "cache";
  const ScopedEnv cache("XDG_CACHE_HOME", folder.string());
  const fs::path settings = WriteSettings(dir, "AlbumFileName=index.html\n");
  const fs::path album = CopyOfSampleAlbum(dir);
  {
    const ScopedEnv off("FOTOLOOM_CACHE", "off");
    EXPECT_EQ(RunCli({"--settings", settings.string(), "--quiet", "--yes", album}).exit_code, 0);
  }
  EXPECT_EQ(
      RunCli({"--settings", settings.string(), "--quiet", "--yes", "--no-cache", album}).exit_code,
      0);
  EXPECT_FALSE(fs::exists(folder));
  EXPECT_EQ(RunCli({"--settings", settings.string(), "--quiet", "--yes", album}).exit_code, 0);
  EXPECT_TRUE(fs::exists(folder / "fotoloom/thumbnails"));
}

TEST(CliTest, ShippedDefaultImageStandsInForAPictureThatCannotBeRead) {
  TempDir dir;
  const fs::path album = dir.path() / "album";
  fs::create_directory(album);
  WriteJpeg((album / "good.jpg").string(), 64, 48);
  std::ofstream(album / "broken.jpg") << "this is not a JPEG file";
  // No EmptyThumbnail key: the wizard's default, default.jpg beside the program.
  const fs::path settings = WriteSettings(dir, "AlbumFileName=index.html\n");

  CliResult r = RunCli({"--settings", settings.string(), album.string()});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_GT(fs::file_size(album / "fldata" / "broken.jpg"), 0u);
  EXPECT_EQ(BrokenLinks(std::vector<fs::path>{album / "index.html"}), std::vector<std::string>{});
}

// Pictures large enough that the run is still writing thumbnails when the test reacts to its
// progress, and that one thumbnail takes a while: the time between a Ctrl-C and the next
// progress report, where the cancel takes effect.
fs::path ManyLargePictures(const TempDir& dir, int count) {
  const fs::path album = dir.path() / "many";
  fs::create_directory(album);
  WriteJpeg((album / "p000.jpg").string(), 4000, 3000);
  for (int i = 1; i < count; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "p%03d.jpg", i);
    fs::create_hard_link(album / "p000.jpg", album / name);
  }
  return album;
}

// True once the process no longer catches SIGINT: its handler has run and, being installed
// to reset itself, left the default action in place.
bool InterruptTaken(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("SigCgt:", 0) == 0) {
      const unsigned long long caught = std::stoull(line.substr(7), nullptr, 16);
      return (caught & (1ull << (SIGINT - 1))) == 0;
    }
  }
  return true;  // the process is gone
}

void WaitUntilInterruptTaken(pid_t pid) {
  for (int i = 0; i < 10000 && !InterruptTaken(pid); ++i) usleep(1000);
}

TEST(CliTest, CtrlCStopsAfterTheRowKeepsThePartialPageAndASecondOneEndsTheProgram) {
  // Enough that two threads are still at it when the first progress line comes, a second on;
  // made afresh, since the thumbnail cache would serve every link to the one photo at once.
  constexpr int kPictures = 80;
  TempDir dir;
  const fs::path album = ManyLargePictures(dir, kPictures);
  const fs::path settings =
      WriteSettings(dir,
                    "AlbumFileName=index.html\nThumbsPerRow=1\nCreateMultipleFiles=0\n"
                    "UseDefaultsOnPage3=0\n");

  // Without a terminal the status comes as lines; the first "Processing:" line means that
  // thumbnails are being written.
  bool interrupted = false;
  CliResult r =
      RunCli({"--settings", settings.string(), "--jobs", "2", "--no-cache", album.string()}, "",
             [&](const std::string& line, pid_t pid) {
               if (!interrupted && line.rfind("Processing:", 0) == 0) {
                 interrupted = true;
                 kill(pid, SIGINT);
               }
             });
  ASSERT_TRUE(interrupted) << "the run ended before any progress line: " << r.err;
  EXPECT_EQ(r.exit_code, 1) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("Cancelled."), std::string::npos) << r.err;
  const std::string page = ReadWholeFile(album / "index.html");
  const int cells = CountOf(page, "<img src=");
  EXPECT_GT(cells, 0);
  EXPECT_LT(cells, kPictures);
  EXPECT_NE(page.find("</html>"), std::string::npos);

  // A second Ctrl-C, once the first has been taken, ends the program by the signal.
  fs::remove(album / "index.html");
  bool twice_sent = false;
  CliResult twice =
      RunCli({"--settings", settings.string(), "--jobs", "2", "--no-cache", album.string()}, "",
             [&](const std::string& line, pid_t pid) {
               if (twice_sent || line.rfind("Processing:", 0) != 0) return;
               twice_sent = true;
               kill(pid, SIGINT);
               WaitUntilInterruptTaken(pid);
               kill(pid, SIGINT);
             });
  ASSERT_TRUE(twice_sent) << twice.err;
  EXPECT_EQ(twice.signal, SIGINT) << "exit code " << twice.exit_code << ": " << twice.err;
  // The partial page may have been saved between the two: then it is whole, never cut.
  if (fs::exists(album / "index.html")) {
    EXPECT_NE(ReadWholeFile(album / "index.html").find("</html>"), std::string::npos);
  }
}

}  // namespace
}  // namespace fotoloom::testing
