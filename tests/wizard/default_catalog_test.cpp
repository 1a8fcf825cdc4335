// The catalog and settings file of a run with every display option at its default, byte for
// byte against a reference made before those options existed (tests/data/default-catalog/):
// the sample album plus a file that gives no thumbnail, two index pages, image pages and a
// slide show, saved through "&Finish". Only the settings file may differ, by the display keys
// appended at its end.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "generation/album_settings.h"
#include "wizard_fixture.h"

namespace fotoloom::testing {
namespace {

namespace fs = std::filesystem;

// What a save adds to a settings file of the earlier program, in this order, at its end.
constexpr char kDisplayKeys[] =
    "PreviewImages=0\nPreviewWidth=1600\nPreviewHeight=1200\nHiDPIThumbnails=0\nCatalogStyle=0\n"
    "ExtendedFormats=0\nUseDateTaken=0\nShowPhotoDetails=0\nIncludeSubfolders=0\n"
    "NavigationUpText=Up\n";
// Stands in the reference settings file for the scratch folder, which differs every run.
constexpr char kRootMark[] = "@ROOT@/";

class DefaultCatalogTest : public WizardTest {
 protected:
  void TearDown() override {
    ResetAlbumSettings();
    if (::chdir("/") != 0) ADD_FAILURE() << "cannot leave the album directory";
    WizardTest::TearDown();
  }
};

// Relative path -> bytes of every regular file below dir, except the names in skip.
std::map<std::string, std::string> Tree(const fs::path& dir, const std::set<std::string>& skip) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    const std::string name = entry.path().lexically_relative(dir).string();
    if (entry.is_regular_file() && !skip.count(name)) files[name] = ReadText(entry.path());
  }
  return files;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
    text.replace(at, from.size(), to);
  return text;
}

TEST_F(DefaultCatalogTest, EqualsTheCatalogMadeBeforeTheDisplayOptions) {
  const fs::path reference = fs::path(FOTOLOOM_TESTDATA_DIR) / "default-catalog";
  const fs::path sample = fs::path(FOTOLOOM_SOURCE_DIR) / "examples" / "sample-album";
  std::set<std::string> sources;
  for (const auto& entry : fs::directory_iterator(sample)) {
    fs::copy_file(entry.path(), album_dir_ + entry.path().filename().string());
    sources.insert(entry.path().filename().string());
  }
  WriteText(album_dir_ + "broken.jpg", "not a picture");
  sources.insert("broken.jpg");
  for (const std::string& name : sources) {
    timespec times[2] = {{1715940000, 0}, {1715940000, 0}};  // 2024-05-17 10:00 UTC
    ASSERT_EQ(::utimensat(AT_FDCWD, (album_dir_ + name).c_str(), times, 0), 0) << name;
  }
  fs::copy_file(fs::path(FOTOLOOM_SOURCE_DIR) / "assets" / "default.jpg", exe_dir_ + "default.jpg",
                fs::copy_options::overwrite_existing);

  Wizard& w = Open();
  WizardModel& m = w.model();
  m.editAlbumDirectory.SetText(album_dir_);
  while (w.CurrentPage() < 7) {
    if (w.CurrentPage() == 3) {
      m.seditThumbsPerRow.SetValue(4);
      m.seditThumbRowsPerFile.SetValue(2);
    }
    if (w.CurrentPage() == 6) w.advanced().Keep(*FindSetting("SlideShow"), 1);
    ASSERT_TRUE(w.StepPage(+1));
  }
  m.chkboxSaveSettings.SetChecked(true);
  w.btnFinishClick();
  ASSERT_TRUE(ui_.Warnings().empty());

  const auto made = Tree(album_dir_, sources);
  const auto expected = Tree(reference / "album", {});
  ASSERT_FALSE(expected.empty()) << reference;
  for (const auto& [name, bytes] : expected) {
    const auto it = made.find(name);
    if (it == made.end()) {
      ADD_FAILURE() << name << " was not written";
    } else {
      EXPECT_TRUE(it->second == bytes) << name << " differs";
    }
  }
  for (const auto& [name, bytes] : made) EXPECT_TRUE(expected.count(name)) << name << " is new";

  const std::string settings = Replaced(ReadText(settings_), root_, kRootMark);
  EXPECT_EQ(settings, ReadText(reference / "Settings.ini") + kDisplayKeys);
}

}  // namespace
}  // namespace fotoloom::testing
