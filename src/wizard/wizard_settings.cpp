// Loading the pages from the settings file and saving them back, row by row of the settings
// table.
#include "wizard/ini_file.h"
#include "wizard/settings_table.h"
#include "wizard/wizard.h"

namespace fotoloom {

void Wizard::LoadSetting(const IniFile& file, const SettingRow& row) {
  const SettingValue value =
      ReadSetting(file, row, {env_.executable_directory, FirstImageFolder()});
  if (row.in_dialog()) {
    advanced_->Keep(row, value);
  } else {
    ShowSetting(ControlOf(row, model_), value);
  }
}

SettingValue Wizard::CurrentSetting(const SettingRow& row) {
  if (row.in_dialog()) return advanced_->Kept(row);
  return SettingOf(ControlOf(row, model_));
}

void Wizard::LoadPageSettings(int page) {
  if (page < 1 || page > kPageCount) return;
  const IniFile in(env_.settings_path);
  for (const SettingRow& row : SettingRows()) {
    if (row.page == page) LoadSetting(in, row);
  }
  switch (page) {
    case 3:
      RowsPerFileRule();
      break;
    case 6:
      TableColorRule();
      break;
    case 7:
      model_.ProgressBar1.SetPosition(0);
      model_.lblProgressInfo.SetText(kWaitingForInput);
      break;
  }
}

// Switching multiple catalog files on or off throws away a typed rows-per-file value.
void Wizard::chkboxCreateMultipleFilesClick() {
  LoadSetting(IniFile(env_.settings_path), *FindSetting("ThumbRowsPerFile"));
  RowsPerFileRule();
}

void Wizard::SaveAllSettings() {
  IniFile out(env_.settings_path);
  for (const SettingRow& row : SettingRows()) {
    if (row.saved) WriteSetting(out, row, CurrentSetting(row));
  }
  out.Save();
}

}  // namespace fotoloom
