// How files are written: a link or hard link at an output's name is replaced, never written
// through; links count as taken names; names too long for the file system are shortened; the
// settings file keeps its owner and mode, and is saved in a folder the user may not write to.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <set>

#include "files/file_utils.h"
#include "generation/album.h"
#include "generation/album_settings.h"
#include "link_check.h"
#include "platform/text.h"
#include "test_images.h"
#include "wizard/ini_file.h"
#include "wizard_fixture.h"

namespace fotoloom::testing {
namespace {

namespace fs = std::filesystem;

class LinksWritesTest : public WizardTest {
 protected:
  void TearDown() override {
    ResetAlbumSettings();
    if (::chdir("/") != 0) ADD_FAILURE() << "cannot leave the album directory";
    WizardTest::TearDown();
  }
  void Generate(bool erase) {
    ResetAlbumSettings();
    Album().AlbumDirectory = album_dir_;
    Album().ThumbDirectory = "fldata";
    Album().AlbumFileName = "_cat.html";
    Album().ThumbsPerRow = 1;
    Album().ThumbRowsPerFile = 1;
    Album().GenerateHTMLImages = true;
    Album().EraseExistingFiles = erase;
    Album().EmptyThumbnail = "";
    generate();
  }
  std::vector<fs::path> Pages() const {
    std::vector<fs::path> pages = HtmlFilesIn(album_dir_);
    for (const fs::path& page : HtmlFilesIn(album_dir_ + "fldata")) pages.push_back(page);
    return pages;
  }
};

TEST_F(LinksWritesTest, LinksAtOutputNamesAreReplacedNeverWrittenThrough) {
  fs::create_directories(root_ + "elsewhere");
  const std::map<std::string, std::string> users = {
      {"elsewhere/x.jpg", "photo x"}, {"elsewhere/y.html", "page y"}, {"elsewhere/z.html", "z"}};
  for (const auto& [name, text] : users) WriteText(root_ + name, text);
  for (const char* photo : {"a.jpg", "b.jpg", "c.jpg"}) WriteJpeg(album_dir_ + photo, 8, 6);
  const std::string data = album_dir_ + "fldata/";
  fs::create_directory(data);
  Touch(data + kDataDirectoryMarker);
  fs::create_symlink("../../elsewhere/x.jpg", data + "a.jpg");
  fs::create_hard_link(root_ + "elsewhere/y.html", data + "b.html");
  fs::create_symlink("../../elsewhere/gone.jpg", data + "c.jpg");  // broken
  fs::create_symlink("../elsewhere/z.html", album_dir_ + "_cat002.html");
  fs::create_hard_link(root_ + "elsewhere/z.html", album_dir_ + "_cat003.html");
  Touch(album_dir_ + "_cat001.html");  // a page of an earlier run, its mode chosen by the user
  fs::permissions(album_dir_ + "_cat001.html", fs::perms(0604));

  Generate(false);
  EXPECT_EQ(GetMessages(), "");
  // Every link, even a broken one, is a taken name; the pages in the album are replaced.
  for (const char* name : {"a (1).jpg", "b (1).html", "c (1).jpg"})
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(data + name))) << name;
  EXPECT_TRUE(fs::is_symlink(data + "c.jpg"));
  EXPECT_FALSE(fs::is_symlink(album_dir_ + "_cat002.html"));
  EXPECT_EQ(fs::status(album_dir_ + "_cat001.html").permissions(), fs::perms(0604));
  EXPECT_EQ(BrokenLinks(Pages()), std::vector<std::string>{});

  // Cleaning removes the links themselves.
  Generate(true);
  EXPECT_FALSE(fs::is_symlink(data + "a.jpg"));
  for (const auto& [name, text] : users) EXPECT_EQ(ReadText(root_ + name), text) << name;
  EXPECT_FALSE(fs::exists(fs::symlink_status(root_ + "elsewhere/gone.jpg")));
}

TEST_F(LinksWritesTest, NamesTooLongForTheFileSystemAreShortened) {
  std::string odd = "x";  // a two-byte letter straddles the 250-byte cut of ".html"
  for (int i = 0; i < 125; ++i) odd += "\xC3\xA4";
  const std::string a250(250, 'a');
  for (const std::string& stem : {a250 + "a", a250 + "b", odd}) {
    ASSERT_EQ(stem.size(), 251u);
    WriteJpeg(album_dir_ + stem + ".jpg", 8, 6);
  }
  Generate(false);
  EXPECT_EQ(GetMessages(), "");
  std::set<std::string> html;
  for (const auto& entry : fs::directory_iterator(album_dir_ + "fldata")) {
    const std::string name = entry.path().filename();
    EXPECT_LE(name.size(), 255u);
    EXPECT_EQ(LeftBytes(name, name.size()), name) << "cut inside a character: " << name;
    if (entry.path().extension() == ".html") html.insert(name);
  }
  EXPECT_EQ(html, (std::set<std::string>{a250 + ".html", std::string(246, 'a') + " (1).html",
                                         odd.substr(0, 249) + ".html"}));
  EXPECT_EQ(BrokenLinks(Pages()), std::vector<std::string>{});
}

// Saves key=value into the settings file at path in a child process, as the user "nobody"
// when the test runs as root; true when the save succeeded.
bool SaveAsAnotherUser(const std::string& path, const std::string& value) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(2);
    try {
      IniFile ini(path);
      ini.WriteString("Settings", "Key", value);
      ini.Save();
      ::_exit(0);
    } catch (...) {
      ::_exit(1);
    }
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST_F(LinksWritesTest, SettingsKeepTheirOwnerAndModeAndSaveInAFolderNotWritable) {
  struct stat st;
  if (::geteuid() == 0) {  // another user's file keeps its owner and group
    WriteSettings("Key=old\n");
    ASSERT_EQ(::chown(settings_.c_str(), 4242, 4343), 0);
    ASSERT_EQ(::chmod(settings_.c_str(), 0664), 0);
    IniFile ini(settings_);
    ini.WriteString("Settings", "Key", "new");
    ini.Save();
    ASSERT_EQ(::stat(settings_.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 4242u);
    EXPECT_EQ(st.st_gid, 4343u);
    EXPECT_EQ(st.st_mode & 07777, 0664u);
    EXPECT_EQ(ReadText(settings_), "[Settings]\nKey=new\n");
  }

  // A shared settings file the user may write, in a folder the user may not.
  const std::string folder = root_ + "shared/";
  const std::string shared = folder + "Settings.ini";
  fs::create_directory(folder);
  WriteText(shared, "[Settings]\nKey=old\nOther=kept\n");
  ASSERT_EQ(::chmod(shared.c_str(), 0646), 0);
  ASSERT_EQ(::chmod(root_.c_str(), 0755), 0);
  ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
  EXPECT_TRUE(SaveAsAnotherUser(shared, "a much longer value than before"));
  EXPECT_TRUE(SaveAsAnotherUser(shared, "new"));  // shorter: the old tail is cut
  EXPECT_EQ(ReadText(shared), "[Settings]\nKey=new\nOther=kept\n");
  ASSERT_EQ(::stat(shared.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0646u);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
  ::chmod(folder.c_str(), 0755);
}

}  // namespace
}  // namespace fotoloom::testing
