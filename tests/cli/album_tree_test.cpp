// fotoloom-cli over a folder tree with IncludeSubfolders: every folder that holds photos, or
// sub-albums, becomes a catalog of its own, linked both ways; what is left out, what a failed
// check leaves, and a leaf made in the tree against the same folder made alone.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "cli_process.h"
#include "fingerprints.h"
#include "link_check.h"
#include "test_images.h"

namespace fotoloom::testing {
namespace {

namespace fs = std::filesystem;

// The user the runs are made as when the tests run as root, whom permissions do not stop.
constexpr uid_t kNobody = 65534;

const std::string kLisbon = "2025/Lisbon & Porto #1";
const std::string kDeepest = kLisbon + "/100% ?";

// One catalog of the tree: its folder (relative to the top), the page its "Up" link leads to
// (relative to the top; "" for none) and what its parent's first page shows for it.
struct Catalog {
  std::string folder;
  std::string up;
  std::string shown_name;  // HTML-escaped
  std::string cover;       // the cover thumbnail, relative to the top
  std::string photos;      // the count's text
};

const Catalog kCatalogs[] = {
    {"", "", "", "", ""},
    {"2025", "index.html", "2025", "2025/Lisbon & Porto #1/fldata/b1.jpg", "3 photos"},
    {kLisbon, "2025/index.html", "Lisbon &amp; Porto #1", "2025/Lisbon & Porto #1/fldata/b1.jpg",
     "3 photos"},
    {kDeepest, kLisbon + "/index.html", "100% ?", kDeepest + "/fldata/c1.jpg", "1 photo"},
    {"\xC3\x9Crlaub", "index.html", "\xC3\x9Crlaub", "\xC3\x9Crlaub/fldata/d1.jpg", "1 photo"},
};

// The folders below the top that must not become catalogs.
const char* const kLeftOut[] = {"empty", ".hidden", "outside", "locked"};

class AlbumTreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "fotoloom-tree-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    top_ = root_ / "album";
    Photos("", {"a1.jpg", "a2.jpg"});
    fs::create_directories(top_ / "2025");  // a folder with only a sub-folder
    Photos(kLisbon, {"b2.jpg", "b1.jpg"});  // sorted by name: b1 is the cover
    Photos(kDeepest, {"c1.jpg"});
    Photos("\xC3\x9Crlaub", {"d1.jpg"});
    fs::create_directories(top_ / "empty");
    Photos(".hidden", {"h.jpg"});
    fs::create_directory_symlink("2025", top_ / "inside");
    Photos("../outside", {"o.jpg"});
    fs::create_directory_symlink("../outside", top_ / "outside");
    Photos("locked", {"l.jpg"});
    ASSERT_EQ(::chmod((top_ / "locked").c_str(), 0), 0);
    cli_ = CliPath();
    if (::geteuid() == 0) {
      // The unprivileged user may not reach the build folder (a clone in a 0700 folder): it
      // runs a copy of the program, with the spare picture the program looks for beside it.
      const fs::path bin = root_ / "bin";
      fs::create_directory(bin);
      const fs::path built = cli_;
      for (const fs::path& file : {built, built.parent_path() / "default.jpg"})
        if (fs::exists(file)) fs::copy_file(file, bin / file.filename());
      cli_ = (bin / built.filename()).string();
      for (const auto& entry : fs::recursive_directory_iterator(root_))
        ASSERT_EQ(::lchown(entry.path().c_str(), kNobody, kNobody), 0);
      ASSERT_EQ(::chown(root_.c_str(), kNobody, kNobody), 0);
    }
  }
  void TearDown() override {
    ::chmod((top_ / "locked").c_str(), 0755);
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  void Photos(const std::string& folder, const std::vector<std::string>& names) {
    fs::create_directories(top_ / folder);
    for (const std::string& name : names) WriteJpeg((top_ / folder / name).string(), 24, 18);
  }

  // Runs fotoloom-cli on folder (relative to the top) with the settings' keys.
  CliResult Run(const std::string& keys, const std::string& folder = "") {
    const fs::path settings = root_ / "Settings.ini";
    std::ofstream(settings, std::ios::binary)
        << "[Settings]\nAlbumFileName=index.html\nCreateMultipleFiles=0\nGenerateHTMLImages=1\n"
        << keys;
    if (::geteuid() == 0) ::lchown(settings.c_str(), kNobody, kNobody);
    return RunProgram(cli_,
                      {"--yes", "--settings", settings.string(), (top_ / folder).string()}, "", {},
                      [] {
                        ::setenv("FOTOLOOM_CACHE", "off", 1);
                        if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
                          ::_exit(99);
                      });
  }

  // Every file of a catalog folder's outputs, by name, with its content.
  std::map<std::string, std::string> Outputs(const std::string& folder) {
    std::map<std::string, std::string> files;
    files["index.html"] = ReadWholeFile(top_ / folder / "index.html");
    for (const auto& entry : fs::directory_iterator(top_ / folder / "fldata"))
      files["fldata/" + entry.path().filename().string()] = ReadWholeFile(entry.path());
    return files;
  }

  fs::path root_, top_;
  std::string cli_;  // the program the runs start
};

// The targets of a page's references, decoded and relative to the top folder.
std::set<std::string> Targets(const fs::path& top, const std::string& folder) {
  std::set<std::string> targets;
  for (const std::string& ref : PageReferences(ReadWholeFile(top / folder / "index.html"))) {
    std::string decoded;
    if (!UrlDecode(ref.substr(0, ref.find('#')), decoded)) continue;
    const fs::path full = (top / folder / decoded).lexically_normal();
    targets.insert(fs::relative(full, top).string());
  }
  return targets;
}

// The decoded target of the link labelled "Up", relative to the top; "" when there is none.
std::string UpTarget(const fs::path& top, const std::string& folder) {
  const std::string html = ReadWholeFile(top / folder / "index.html");
  for (const char* label : {"'; return true;\">Up</a>", " id=\"up\">Up</a>"}) {
    const std::size_t at = html.find(label);
    if (at == std::string::npos) continue;
    const std::size_t href = html.rfind("href=\"", at) + 6;
    std::string decoded;
    UrlDecode(html.substr(href, html.find('"', href) - href), decoded);
    return fs::relative((top / folder / decoded).lexically_normal(), top).string();
  }
  return "";
}

TEST_F(AlbumTreeTest, EveryFolderWithPhotosIsACatalogLinkedBothWays) {
  for (const char* style : {"0", "1"}) {
    SCOPED_TRACE(std::string("CatalogStyle=") + style);
    const std::map<std::string, std::string> before = Fingerprints(root_);
    const CliResult r = Run(std::string("IncludeSubfolders=1\nCatalogStyle=") + style + "\n");
    // The one warning: the folder the run could not read.
    EXPECT_EQ(r.exit_code, 1) << r.err;
    EXPECT_NE(
        r.err.find("Cannot read the folder " + (top_ / "locked").string() + ", it is left out."),
        std::string::npos)
        << r.err;

    std::vector<fs::path> pages;
    for (const Catalog& c : kCatalogs) {
      SCOPED_TRACE(c.folder);
      ASSERT_TRUE(fs::exists(top_ / c.folder / "index.html"));
      for (const fs::path& folder : {top_ / c.folder, top_ / c.folder / "fldata"}) {
        const std::vector<fs::path> more = HtmlFilesIn(folder);
        pages.insert(pages.end(), more.begin(), more.end());
      }
      EXPECT_EQ(UpTarget(top_, c.folder), c.up);
      if (c.folder.empty()) continue;
      const std::string parent = fs::path(c.folder).parent_path().string();
      const std::set<std::string> targets = Targets(top_, parent);
      EXPECT_TRUE(targets.count(c.folder + "/index.html"));
      EXPECT_TRUE(targets.count(c.cover));
      const std::string html = ReadWholeFile(top_ / parent / "index.html");
      EXPECT_NE(html.find(c.shown_name), std::string::npos);
      EXPECT_NE(html.find(c.photos), std::string::npos);
      // The cells come before the folder's own photos.
      const std::string own_first = parent.empty() ? "fldata/a1" : "fldata/b1";
      if (parent != "2025") {
        EXPECT_LT(html.find(c.shown_name), html.find(own_first));
      }
    }
    EXPECT_EQ(BrokenLinks(pages), std::vector<std::string>{});
    for (const char* folder : kLeftOut) {
      EXPECT_FALSE(fs::exists(top_ / folder / "index.html")) << folder;
      EXPECT_FALSE(fs::exists(top_ / folder / "fldata")) << folder;
    }

    // Nothing outside the catalogs' pages and data folders changed or appeared.
    const auto is_output = [](const std::string& path) {
      return path == "Settings.ini" ||
             std::any_of(std::begin(kCatalogs), std::end(kCatalogs), [&](const Catalog& c) {
               const std::string folder = c.folder.empty() ? "album/" : "album/" + c.folder + "/";
               return path == folder + "index.html" || path.rfind(folder + "fldata", 0) == 0;
             });
    };
    const std::map<std::string, std::string> after = Fingerprints(root_);
    for (const auto& [path, print] : before) {
      if (is_output(path)) continue;
      ASSERT_TRUE(after.count(path)) << path << " is gone";
      EXPECT_EQ(after.at(path), print) << path;
    }
    for (const auto& [path, print] : after)
      EXPECT_TRUE(before.count(path) || is_output(path)) << path << " appeared";
  }
}

// The checks of every folder come before any deletion: an unreadable description file in the
// deepest folder leaves an earlier catalog of the whole tree as it was.
TEST_F(AlbumTreeTest, ACheckFailingInTheDeepestFolderDeletesNothing) {
  ASSERT_EQ(Run("IncludeSubfolders=1\n").exit_code, 1);
  ASSERT_EQ(::mkfifo((top_ / kDeepest / "imgdesc.dat").c_str(), 0644), 0);
  if (::geteuid() == 0) ::lchown((top_ / kDeepest / "imgdesc.dat").c_str(), kNobody, kNobody);
  const std::map<std::string, std::string> before = Fingerprints(top_);
  const CliResult r = Run("IncludeSubfolders=1\nEraseExistingFiles=1\n");
  EXPECT_EQ(r.exit_code, 3) << r.err;
  EXPECT_NE(r.err.find((top_ / kDeepest / "imgdesc.dat").string()), std::string::npos) << r.err;
  EXPECT_EQ(Fingerprints(top_), before);
}

// A leaf sub-album made in the tree is the same folder made alone, but for its "Up" link.
TEST_F(AlbumTreeTest, ALeafMadeInTheTreeIsTheFolderMadeAlone) {
  ASSERT_EQ(Run("IncludeSubfolders=1\n").exit_code, 1);
  std::map<std::string, std::string> in_tree = Outputs(kDeepest);
  std::string& page = in_tree["index.html"];
  const std::size_t up = page.find(">Up</a>");
  ASSERT_NE(up, std::string::npos);
  const std::size_t block = page.rfind("<p>\r\n", up);
  page.erase(block, page.find("</p>\r\n", up) + 6 - block);

  ASSERT_EQ(Run("EraseExistingFiles=1\n", kDeepest).exit_code, 0);
  EXPECT_EQ(Outputs(kDeepest), in_tree);
}

}  // namespace
}  // namespace fotoloom::testing
