// A scratch album for the page and run tests: a fresh folder under the system's temporary
// directory, settings and progress state reset, a progress recorder installed that can raise
// the cancel flag on a chosen label, and helpers to lay out image files with fixed sizes and
// dates.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "files/dir.h"
#include "generation/album_items.h"
#include "generation/album_settings.h"
#include "generation/client_ui.h"
#include "link_check.h"
#include "test_images.h"

namespace fotoloom::testing {

namespace fs = std::filesystem;

// Records every label; cancel_when, when set, is asked after each label and raises the
// cancel flag when it answers true.
class ProgressRecorder : public ProgressTarget {
 public:
  void SetMinimum(int minimum) override { minimum_ = minimum; }
  void SetMaximum(int maximum) override {
    maximum_ = maximum;
    position_ = std::min(position_, maximum_);
  }
  void SetPosition(int position) override {
    position_ = std::max(minimum_, std::min(position, maximum_));
  }
  int Position() const override { return position_; }
  int Maximum() const override { return maximum_; }
  void SetText(const std::string& text) override {
    labels.push_back(text);
    if (cancel_when && cancel_when(labels)) SetCancelRequested(true);
  }
  void ProcessMessages() override {}

  std::vector<std::string> labels;
  std::function<bool(const std::vector<std::string>&)> cancel_when;

 private:
  int minimum_ = 0, maximum_ = 100, position_ = 0;
};

// The fixed configuration of the worked catalog: three thumbnails per row, one row per
// index page, image pages with a slide show, every optional element present.
inline void ConfigureWorkedCatalog(const fs::path& assets) {
  AlbumSettings& a = Album();
  a.AlbumFileName = "index.html";
  a.GenerateHTMLImages = true;
  a.NameMaxLen = 14;
  a.Font = "Verdana";
  a.SlideShow = true;
  a.SlideShowDelay = 5;
  a.SortOrder = kSortNameAscending;
  a.Previous = "&lt;&lt; Prev";
  a.Next = "Next &gt;&gt;";
  a.Index = "Index";
  a.ThumbsPerRow = 3;
  a.ThumbRowsPerFile = 1;
  a.ThumbGeometryW = 100;
  a.ThumbGeometryH = 80;
  a.AlbumName = "Trip";
  a.HeaderColor = "#FFFF00";
  a.HeaderSize = "H2";
  a.AlbumHeader = "Summer <i>2024</i>";
  a.AlbumFooter = "Made by me";
  a.ThumbnailBorder = "1";
  a.TableBorder = "0";
  a.FontSize = "2";
  a.TextColor = "#FFFFFF";
  a.BgColor = "#000000";
  a.UseTableBgColor = true;
  a.TableBgColor = "#202020";
  a.BgImage = (assets / "tile.gif").string();
  a.BgSound = (assets / "tune.mid").string();
  a.LinkColor = "#FFFF00";
  a.VLinkColor = "#FF8000";
}

// 2024-05-17 10:00:00 UTC; the tests run with TZ=UTC.
inline constexpr std::time_t kFixedTime = 1715940000;

class CatalogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/fotoloom-catalog-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    root_ = pattern;
    album_ = root_ / "album";
    fs::create_directory(album_);
    ResetAlbumSettings();
    ResetClientUI();
    SetProgressTarget(&progress_);
    Album().AlbumDirectory = album_.string();
    Album().ThumbDirectory = "fldata";
    Album().EmptyThumbnail = "";
  }

  void TearDown() override {
    ReleaseItems();
    SetProgressTarget(nullptr);
    ResetClientUI();
    ResetAlbumSettings();
    if (::chdir("/") != 0) ADD_FAILURE() << "cannot leave the album directory";
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root_, ec);
         it != fs::recursive_directory_iterator(); ++it)
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(root_, ec);
  }

  fs::path data() const { return album_ / "fldata"; }

  // An image of the kind its extension names (jpg/jpeg, png, bmp; anything else is written
  // as JPEG), padded with zero bytes to pad_to bytes when that is larger, dated kFixedTime.
  void Image(const std::string& name, int width = 16, int height = 12, long pad_to = 0,
             const fs::path& folder = {}) {
    const std::string path = ((folder.empty() ? album_ : folder) / name).string();
    std::string ext = fs::path(name).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), ::tolower);
    if (ext == ".png")
      WritePng(path, width, height);
    else if (ext == ".bmp")
      WriteBmp(path, width, height);
    else
      WriteJpeg(path, width, height);
    if (pad_to > 0 && fs::file_size(path) < static_cast<std::uintmax_t>(pad_to))
      fs::resize_file(path, pad_to);
    SetTime(path);
  }

  void File(const std::string& name, const std::string& bytes, const fs::path& folder = {}) {
    const std::string path = ((folder.empty() ? album_ : folder) / name).string();
    WriteBytes(path, bytes);
    SetTime(path);
  }

  // The worked catalog's background image and sound, in a folder of their own; returns it.
  fs::path BackgroundFiles() {
    const fs::path assets = root_ / "assets";
    fs::create_directory(assets);
    File("tile.gif", "GIF89a-not-really", assets);
    File("tune.mid", "MThd", assets);
    return assets;
  }

  static void SetTime(const std::string& path) {
    timespec times[2] = {{kFixedTime, 0}, {kFixedTime, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
  }

  // Names of the files directly in folder (subdirectories marked with a trailing "/").
  static std::set<std::string> Listing(const fs::path& folder) {
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
      names.insert(entry.path().filename().string() + (entry.is_directory() ? "/" : ""));
    return names;
  }

  static std::string Read(const fs::path& path) { return ReadWholeFile(path); }

  // Lines of a generated page with their CR LF ends checked and removed.
  static std::vector<std::string> Lines(const fs::path& path) {
    const std::string text = ReadWholeFile(path);
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
      const std::size_t end = text.find("\r\n", start);
      if (end == std::string::npos) {
        ADD_FAILURE() << path << ": last line does not end in CR LF";
        lines.push_back(text.substr(start));
        break;
      }
      lines.push_back(text.substr(start, end - start));
      start = end + 2;
    }
    return lines;
  }

  static std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
      ++n;
    return n;
  }

  // Every page of the catalog: the .html files of the album folder and of the data folder.
  std::vector<fs::path> AllPages() const {
    std::vector<fs::path> pages = HtmlFilesIn(album_);
    const std::vector<fs::path> more = HtmlFilesIn(data());
    pages.insert(pages.end(), more.begin(), more.end());
    return pages;
  }

  fs::path root_, album_;
  ProgressRecorder progress_;
};

}  // namespace fotoloom::testing
