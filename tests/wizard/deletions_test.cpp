// The catalog name and what may be deleted: the numbered-files question matches only pages a
// run writes, the name is normalised before the check, cleaning needs the data directory's
// marker, and nothing is deleted, neither what page 1's "&Yes" allowed nor the data
// directory's files, before the run has checked everything it can know beforehand.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>

#include "files/file_errors.h"
#include "files/file_utils.h"
#include "generation/album.h"
#include "generation/album_settings.h"
#include "test_images.h"
#include "wizard_fixture.h"

namespace fotoloom::testing {
namespace {

namespace fs = std::filesystem;
using Names = std::set<std::string>;

class DeletionsTest : public WizardTest {
 protected:
  void TearDown() override {
    ResetAlbumSettings();
    if (::chdir("/") != 0) ADD_FAILURE() << "cannot leave the album directory";
    WizardTest::TearDown();
  }
  static Names Listing(const std::string& dir) {
    Names names;
    for (const auto& entry : fs::directory_iterator(dir)) names.insert(entry.path().filename());
    return names;
  }
  // A run over album_dir_ with one photo, cleaning data_dir.
  void Generate(const std::string& data_dir) {
    ResetAlbumSettings();
    Album().AlbumDirectory = album_dir_;
    Album().ThumbDirectory = data_dir;
    Album().EraseExistingFiles = true;
    Album().EmptyThumbnail = "";
    generate();
  }
};

TEST_F(DeletionsTest, NumberedFilesQuestionMatchesOnlyPagesARunWrites) {
  struct Case {
    std::string typed, normalised;
    Names files, deleted;
  };
  const Case cases[] = {
      {"Mo", "Mo.html", {"Mountains.JPG", "Mo001.html", "Mo7.html", "Mo001.htm"}, {"Mo001.html"}},
      {"photos", "photos.html", {"photos_beach.jpg", "photos002.html"}, {"photos002.html"}},
      {"IMG.jpg", "IMG.html", {"IMG.jpg", "IMG_0001.jpg", "IMG100.html"}, {"IMG100.html"}},
      {"index.htm",
       "index.html",
       {"index_old.html", "index.htm", "index001.html"},
       {"index001.html"}},
      {"cat.html",
       "cat.html",
       {"cat_notes.html", "cat01.html", "cat0100.html", "cat1000.html"},
       {"cat1000.html"}},
      {".jpg", ".html", {"a.jpg", "001.html"}, {}},  // no stem: refused, nothing asked
  };
  // The run deletes what the answer allowed, then writes its own catalog beside the rest.
  Wizard& w = Open();
  const std::string outside = root_ + "outside.txt";
  Touch(outside);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    fs::remove_all(album_dir_);
    fs::create_directory(album_dir_);
    for (const std::string& name : c.files) Touch(album_dir_ + name);
    Touch(album_dir_ + "p.jpg");
    // Links and directories of a numbered page's name are never deleted.
    const std::string stem = fs::path(c.normalised).stem();
    fs::create_symlink(outside, album_dir_ + stem + "998.html");
    fs::create_directory(album_dir_ + stem + "999.html");
    const Names before = Listing(album_dir_);

    w.model().editAlbumFileName.SetText(c.typed);
    w.model().editAlbumDirectory.SetText(album_dir_);
    ui_.events.clear();
    ui_.answers = {true};
    EXPECT_EQ(w.ValidatePage(1), !c.deleted.empty());
    EXPECT_EQ(w.model().editAlbumFileName.text(), c.normalised);
    Names expected;
    for (const std::string& name : before)
      if (!c.deleted.count(name)) expected.insert(name);
    if (!c.deleted.empty()) {
      w.RunGeneration();
      expected.insert({c.normalised, "fldata"});
    }
    EXPECT_EQ(Listing(album_dir_), expected);
    EXPECT_TRUE(fs::exists(outside));
  }
}

TEST_F(DeletionsTest, CleaningTouchesOnlyADataDirectoryTheRunMarked) {
  WriteJpeg(album_dir_ + "p.jpg", 8, 6);

  // The user's own folder of that name: never cleaned, and the run says so.
  fs::create_directory(album_dir_ + "originals");
  for (const char* raw : {"raw1.nef", "raw2.nef"}) Touch(album_dir_ + "originals/" + raw);
  Generate("originals");
  EXPECT_EQ(GetMessages(), "Thumbnail directory was not completely cleaned up.\r");
  EXPECT_EQ(Listing(album_dir_ + "originals"), (Names{"raw1.nef", "raw2.nef", "p.jpg"}));

  // A directory the run made, or found empty, is marked and cleaned from then on; the marker
  // stays through the cleaning.
  fs::create_directory(album_dir_ + "empty");
  for (const char* dir : {"fldata", "empty"}) {
    SCOPED_TRACE(dir);
    Generate(dir);
    Touch(album_dir_ + dir + "/stale.jpg");
    Generate(dir);
    EXPECT_EQ(GetMessages(), "");
    EXPECT_EQ(Listing(album_dir_ + dir), (Names{kDataDirectoryMarker, "p.jpg"}));
  }
}

TEST_F(DeletionsTest, AnUnreadableDescriptionFileStopsTheRunBeforeCleaning) {
  WriteJpeg(album_dir_ + "p.jpg", 8, 6);
  const std::string description = album_dir_ + "imgdesc.dat";
  const struct {
    std::function<void()> make;
    std::string error;
  } unreadable[] = {
      {[&] { ASSERT_EQ(::mkfifo(description.c_str(), 0644), 0); }, ""},
      {[&] { fs::create_symlink("/dev/zero", description); }, ""},
      // 3 GiB of holes: refused unread, not read into memory.
      {[&] {
         std::ofstream(description) << "p.jpg|a photo\n";
         fs::resize_file(description, std::uintmax_t{3} << 30);
       },
       " (larger than 64 MiB)"},
  };
  for (const auto& [make, error] : unreadable) {
    Generate("fldata");
    Touch(album_dir_ + "fldata/old.jpg");
    make();
    try {
      Generate("fldata");
      ADD_FAILURE() << "the run went on";
    } catch (const FileOpenError& e) {
      EXPECT_EQ(std::string(e.what()), "Cannot open file " + description + error);
    }
    EXPECT_TRUE(fs::exists(album_dir_ + "fldata/old.jpg"));
    fs::remove(description);
  }
}

TEST_F(DeletionsTest, NothingIsDeletedUntilTheRunIsKnownToWork) {
  const std::string long_name = std::string(248, 'a') + ".html";  // "aaa...001.html" is too long
  const std::string fifo = root_ + "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  fs::create_symlink("/proc/self/mem", root_ + "mem");  // opens, then fails to read
  const struct {
    std::string fault, keys;
    std::function<void()> prepare;
    std::string error;  // "" for a run that works
    std::string catalog = "_cat.html";
  } cases[] = {
      {"a background image that cannot be read", "BgImage=" + fifo + "\n", [] {},
       "Cannot open file " + fifo},
      {"a background sound that fails half-way", "BgSound=" + root_ + "mem\n", [] {},
       "Cannot open file " + root_ + "mem"},
      {"a description file that cannot be read", "",
       [&] { ASSERT_EQ(::mkfifo((album_dir_ + "imgdesc.dat").c_str(), 0644), 0); },
       "Cannot open file " + album_dir_ + "imgdesc.dat"},
      {"a data directory that cannot be written", "",
       [&] {
         fs::remove_all(album_dir_ + "fldata");
         Touch(album_dir_ + "fldata");
       },
       "Cannot create file " + album_dir_ + "fldata"},
      {"numbered pages whose names are too long",
       "ThumbsPerRow=1\nCreateMultipleFiles=1\nThumbRowsPerFile=1\nUseDefaultsOnPage3=0\n", [] {},
       "Cannot create file " + std::string(248, 'a') + "001.html", long_name},
      {"nothing wrong", "", [] {}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fault);
    fs::remove_all(album_dir_);
    fs::create_directories(album_dir_ + "fldata");
    Touch(album_dir_ + "fldata/" + kDataDirectoryMarker);
    WriteText(album_dir_ + "fldata/old.jpg", "a thumbnail of an earlier run");
    WriteJpeg(album_dir_ + "p1.jpg", 8, 6);
    WriteJpeg(album_dir_ + "p2.jpg", 8, 6);
    WriteText(album_dir_ + c.catalog, "old catalog");
    c.prepare();
    WriteSettings("AlbumFileName=" + c.catalog + "\nAlbumDirectory=" + album_dir_ +
                  "\nEraseExistingFiles=1\nUseDefaultsOnPage6=0\n" + c.keys);
    Wizard& w = Open();
    ui_.answers = {true};  // overwrite the old catalog
    ASSERT_TRUE(w.AdvanceToFinish());
    std::string error;
    try {
      w.RunGeneration();
    } catch (const std::exception& e) {
      error = e.what();
    }
    EXPECT_EQ(error, c.error);
    if (!c.error.empty()) {
      EXPECT_EQ(ReadText(album_dir_ + c.catalog), "old catalog");
      if (fs::is_directory(album_dir_ + "fldata")) {
        EXPECT_TRUE(fs::exists(album_dir_ + "fldata/old.jpg"));
      }
    } else {
      EXPECT_NE(ReadText(album_dir_ + c.catalog), "old catalog");
      EXPECT_FALSE(fs::exists(album_dir_ + "fldata/old.jpg"));
    }
  }
}

}  // namespace
}  // namespace fotoloom::testing
