// The window as a screen reader sees it, through Qt's accessibility interfaces in-process (no
// AT-SPI bus needed): every control of every page and of the advanced settings dialog has a
// name, no two controls of one page share a name, and what only the eye gets (the colours of
// the swatches, the step in the side picture) has its text as well.
#include <QAccessible>
#include <map>
#include <tuple>

#include "window_fixture.h"
#include "wizard/window/adv_set_dlg.h"

namespace fotoloom::testing {
namespace {

// The roles of what the user works with; texts, groups and panes only hold or label them.
bool IsControl(QAccessible::Role role) {
  switch (role) {
    case QAccessible::Button:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ComboBox:
    case QAccessible::EditableText:
    case QAccessible::SpinBox:
    case QAccessible::ProgressBar:
      return true;
    default:
      return false;
  }
}

struct Reading {
  std::vector<std::string> faults;
  std::map<std::string, std::string> descriptions;  // by accessible name
};

// Walks what a screen reader can reach: hidden pages and covered buttons are left out.
void Walk(QAccessibleInterface* node, Reading& reading, std::map<std::string, int>& names) {
  if (!node || node->state().invisible) return;
  const std::string name = node->text(QAccessible::Name).toStdString();
  const std::string object =
      node->object() ? node->object()->objectName().toStdString() : std::string("?");
  if (IsControl(node->role()) || node->state().focusable) {
    // A drop-down list is named by its selection and labelled by a relation to its label, as
    // AT-SPI does it.
    if (name.empty() && node->relations(QAccessible::Label).isEmpty())
      reading.faults.push_back(object + " has no name");
    if (!name.empty() && ++names[name] == 2) reading.faults.push_back("two controls named " + name);
    reading.descriptions[name] = node->text(QAccessible::Description).toStdString();
  }
  for (int i = 0; i < node->childCount(); ++i) Walk(node->child(i), reading, names);
}

Reading Read(QWidget* window) {
  Reading reading;
  std::map<std::string, int> names;
  Walk(QAccessible::queryAccessibleInterface(window), reading, names);
  return reading;
}

using AccessibilityTest = WindowTest;

TEST_F(AccessibilityTest, EveryControlHasANameOfItsOwnAndTheColoursAndTheStepAreRead) {
  WriteSettings("AlbumDirectory=" + album_dir_ + "\nUseDefaultsOnPage6=0\n");
  Show();
  QAccessibleInterface* window = QAccessible::queryAccessibleInterface(window_.get());
  EXPECT_EQ(window->role(), QAccessible::Window);
  EXPECT_EQ(window->text(QAccessible::Name).toStdString(), "Fotoloom");

  // What a reader says for controls that look alike or say nothing themselves: page, name,
  // description.
  const std::vector<std::tuple<int, std::string, std::string>> spoken = {
      {1, "Enter here the file name for the new catalog file:", ""},
      {1, "Browse for Image Folder", ""},
      {3, "Maximum size of thumbnail, height in pixels", ""},
      {5, "Header Color", "#8080FF"},
      {5, "Browse for Header Color", "#8080FF"},
      {5, "Browse for Visited Link Color", "#800080"},
      {5, "Font Size:", ""},
      {6, "Sound:", ""},
      {6, "Browse for Background Sound", ""},
      {7, "Progress", ""}};
  for (int page = 1; page <= 7; ++page) {
    SCOPED_TRACE("page " + std::to_string(page));
    GoTo(page);
    EXPECT_EQ(window->text(QAccessible::Description).toStdString(),
              "Step " + std::to_string(page) + " of 7");
    const Reading reading = Read(window_.get());
    EXPECT_EQ(reading.faults, std::vector<std::string>{});
    for (const auto& [on, name, description] : spoken) {
      if (on != page) continue;
      ASSERT_TRUE(reading.descriptions.count(name)) << name;
      EXPECT_EQ(reading.descriptions.at(name), description) << name;
    }
    if (page != 5) continue;
    // A colour picked is read as it now is.
    ui_.colors = {0x00FF00};                   // green, in the settings file's layout
    Click(Check("chkboxUseDefaultsOnPage5"));  // unlocks the page
    Click("btnSelectTextColor");
    const Reading picked = Read(window_.get());
    EXPECT_EQ(picked.descriptions.at("Text Color"), "#00FF00");
    EXPECT_EQ(picked.descriptions.at("Browse for Text Color"), "#00FF00");
  }

  TAdvSetDlg& dialog = window_->advancedDialog();
  dialog.show();
  const Reading reading = Read(&dialog);
  dialog.hide();
  EXPECT_EQ(reading.faults, std::vector<std::string>{});
  for (const char* name : {"Subdirectory where generated data files will be stored:",
                           "Browse for Alternative Image", "Delay between slides (seconds):"})
    EXPECT_TRUE(reading.descriptions.count(name)) << name;
}

}  // namespace
}  // namespace fotoloom::testing
