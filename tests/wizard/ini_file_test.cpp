#include "wizard/ini_file.h"

#include <gtest/gtest.h>

#include "platform/error.h"
#include "platform/file_errors.h"
#include "wizard_fixture.h"

namespace fotoloom::testing {
namespace {

class IniFileTest : public WizardTest {};

TEST_F(IniFileTest, ReadsValuesWithoutCaseBlanksOrQuotes) {
  WriteText(settings_,
            "; comment\n"
            "[Other]\nName=other section\n"
            "[ settings ]\n"
            "  name  =   spaced value   \n"
            "Double=\"quoted  \"\n"
            "Single='it''s'\n"
            "Mixed=\"half'\n"
            "Lone=\"\n"
            "Empty=\n"
            "Empty2=   \n"
            "Inner=a \"b\" c\n"
            "name=second one is ignored\n"
            "NoEquals\n"
            "[Third]\nLate=1\n");
  IniFile ini(settings_);
  EXPECT_EQ(ini.ReadString("SETTINGS", "NAME", "d"), "spaced value");
  EXPECT_EQ(ini.ReadString("Settings", "Double", "d"), "quoted  ");
  EXPECT_EQ(ini.ReadString("Settings", "Single", "d"), "it''s");
  EXPECT_EQ(ini.ReadString("Settings", "Mixed", "d"), "\"half'");
  EXPECT_EQ(ini.ReadString("Settings", "Lone", "d"), "\"");
  EXPECT_EQ(ini.ReadString("Settings", "Empty", "d"), "");
  EXPECT_EQ(ini.ReadString("Settings", "Empty2", "d"), "");
  EXPECT_EQ(ini.ReadString("Settings", "Inner", "d"), "a \"b\" c");
  EXPECT_EQ(ini.ReadString("Settings", "NoEquals", "d"), "d");
  EXPECT_EQ(ini.ReadString("Settings", "Late", "d"), "d");  // belongs to [Third]
  EXPECT_EQ(ini.ReadString("Other", "Name", "d"), "other section");
  EXPECT_EQ(ini.ReadString("Missing", "Name", "d"), "d");
  EXPECT_FALSE(IniFile(root_ + "no-such-file.ini").Find("Settings", "Name").has_value());
}

TEST_F(IniFileTest, ValuesAreCutAt2047BytesOnACharacterBoundary) {
  const std::string ascii(3000, 'a');
  // 1023 two-byte characters fill 2046 bytes; the 1024th would end at byte 2048.
  std::string wide;
  for (int i = 0; i < 1100; ++i) wide += "\xC3\xA4";
  WriteSettings("Long=" + ascii + "\nWide=" + wide + "\n");
  IniFile ini(settings_);
  EXPECT_EQ(ini.ReadString("Settings", "Long", ""), std::string(2047, 'a'));
  EXPECT_EQ(ini.ReadString("Settings", "Wide", ""), wide.substr(0, 2046));
}

TEST_F(IniFileTest, IntegersTakeSignsAndHexadecimalForms) {
  EXPECT_EQ(ParseIniInteger("25"), 25);
  EXPECT_EQ(ParseIniInteger(" -1 "), -1);
  EXPECT_EQ(ParseIniInteger("+7"), 7);
  EXPECT_EQ(ParseIniInteger("$FF"), 255);
  EXPECT_EQ(ParseIniInteger("$ff"), 255);
  EXPECT_EQ(ParseIniInteger("-$10"), -16);
  EXPECT_EQ(ParseIniInteger("0xFF"), 255);
  EXPECT_EQ(ParseIniInteger("0X1a"), 26);
  EXPECT_EQ(ParseIniInteger("$FFFFFFFF"), -1);
  EXPECT_EQ(ParseIniInteger("2147483647"), 2147483647);
  EXPECT_EQ(ParseIniInteger("-2147483648"), -2147483647 - 1);
  EXPECT_FALSE(ParseIniInteger("2147483648"));
  EXPECT_FALSE(ParseIniInteger("0x"));  // "0x" counts only when longer than two characters
  EXPECT_FALSE(ParseIniInteger("$"));
  EXPECT_FALSE(ParseIniInteger(""));
  EXPECT_FALSE(ParseIniInteger("abc"));
  EXPECT_FALSE(ParseIniInteger("12abc"));
  EXPECT_FALSE(ParseIniInteger("FF"));
  EXPECT_FALSE(ParseIniInteger("$1FFFFFFFF"));

  WriteSettings("A=abc\nB=\nC='0x10'\n");
  IniFile ini(settings_);
  EXPECT_EQ(ini.ReadInteger("Settings", "A", 9), 9);
  EXPECT_EQ(ini.ReadInteger("Settings", "B", 9), 9);
  EXPECT_EQ(ini.ReadInteger("Settings", "C", 9), 16);
  EXPECT_EQ(ini.ReadInteger("Settings", "D", 9), 9);
}

TEST_F(IniFileTest, WritesInPlaceAppendsAndKeepsEverythingElse) {
  WriteText(settings_,
            "; keep me\r\n"
            "[Other]\r\nKey=1\r\n\r\n"
            "[settings]\r\nkey=old\r\nUnknown = stays \r\n\r\n"
            "[Last]\r\nX=2");
  IniFile ini(settings_);
  ini.WriteString("Settings", "Key", "new");
  ini.WriteInteger("Settings", "Added", -5);
  ini.WriteString("Last", "Y", "line\nbreak");
  ini.Save();
  EXPECT_EQ(ReadText(settings_),
            "; keep me\r\n"
            "[Other]\r\nKey=1\r\n\r\n"
            "[settings]\r\nKey=new\r\nUnknown = stays \r\nAdded=-5\r\n\r\n"
            "[Last]\r\nX=2\r\nY=line break\r\n");
  IniFile again(settings_);
  EXPECT_EQ(again.ReadString("Settings", "key", ""), "new");
  EXPECT_EQ(again.ReadInteger("Settings", "added", 0), -5);
}

TEST_F(IniFileTest, MissingSectionIsCreatedAtTheEnd) {
  WriteText(settings_, "[Other]\nA=1");
  IniFile ini(settings_);
  ini.WriteString("Settings", "B", "2");
  ini.Save();
  EXPECT_EQ(ReadText(settings_), "[Other]\nA=1\n[Settings]\nB=2\n");

  const std::string fresh = root_ + "new/deeper/Settings.ini";
  IniFile created(fresh);
  created.WriteString("Settings", "Key", "v");
  created.Save();  // creates the missing folders
  EXPECT_EQ(ReadText(fresh), "[Settings]\nKey=v\n");
}

TEST_F(IniFileTest, RefusedWriteRaisesAndLeavesTheFileAlone) {
  WriteSettings("Key=old\n");
  ASSERT_EQ(::chmod(settings_.c_str(), 0444), 0);
  IniFile ini(settings_);
  ini.WriteString("Settings", "Key", "new");
  try {
    ini.Save();
    FAIL() << "a read-only settings file was written";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + settings_);
  }
  EXPECT_EQ(ReadText(settings_), "[Settings]\nKey=old\n");
  // No temporary file is left beside it.
  int entries = 0;
  for (const auto& e : std::filesystem::directory_iterator(exe_dir_)) entries += e.is_regular_file();
  EXPECT_EQ(entries, 2);  // Settings.ini and default.jpg

  // A path whose folder cannot be made (a file stands in the way) is refused the same way.
  IniFile blocked(exe_dir_ + "default.jpg/Settings.ini");
  blocked.WriteString("Settings", "Key", "v");
  EXPECT_THROW(blocked.Save(), Error);
}

TEST_F(IniFileTest, OfAFileOverOneMebibyteOnlyTheLinesWithinItAreReadAndNothingIsSaved) {
  // The limit falls inside the last line, whose value must not be taken cut short.
  const std::string head = "[Settings]\nFirst=1\n";
  const std::string filler = "; " + std::string(IniFile::kMaxFileBytes - head.size() - 10, 'x');
  const std::string text = head + filler + "\nCut=123456789\nLater=1\n";
  WriteText(settings_, text);
  IniFile ini(settings_);
  EXPECT_TRUE(ini.loaded());
  EXPECT_TRUE(ini.cut());
  EXPECT_EQ(ini.ReadString("Settings", "First", "d"), "1");
  EXPECT_EQ(ini.ReadString("Settings", "Cut", "d"), "d");
  EXPECT_EQ(ini.ReadString("Settings", "Later", "d"), "d");
  // Saving would lose the rest of the file.
  ini.WriteString("Settings", "First", "2");
  EXPECT_THROW(ini.Save(), FileWriteError);
  EXPECT_EQ(ReadText(settings_), text);

  WriteText(settings_, head + std::string(IniFile::kMaxFileBytes - head.size(), ';'));
  EXPECT_FALSE(IniFile(settings_).cut());
}

TEST_F(IniFileTest, SaveKeepsPermissionsAndWritesThroughALink) {
  WriteSettings("Key=old\n");
  ASSERT_EQ(::chmod(settings_.c_str(), 0640), 0);
  const std::string link = root_ + "link.ini";
  std::filesystem::create_symlink(settings_, link);
  IniFile ini(link);
  ini.WriteString("Settings", "Key", "new");
  ini.Save();
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadText(settings_), "[Settings]\nKey=new\n");
  struct stat st;
  ASSERT_EQ(::stat(settings_.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

}  // namespace
}  // namespace fotoloom::testing
