// The settings table: every key of the settings file, one row each, in the order a save writes
// them. A row says how the key is stored, its default, its range, the page whose loading reads
// it, whether a save writes it, the control of the wizard window (or the value of the advanced
// settings dialog) it fills, and how it reaches the album settings. Loading, saving, the
// transfer, the dialog's kept values and the number fields' ranges are all made from it.
//
// A new key goes at the end of the table, so that a file of an earlier program only grows at
// its end; with its control, its album setting and the code that uses it, that is all a new
// saved option needs.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "generation/album_settings.h"
#include "wizard/ini_file.h"
#include "wizard/wizard_model.h"

namespace fotoloom {

// How a key is stored in the file and shown in its control.
enum class SettingKind {
  kText,       // an edit's text as it stands
  kNumber,     // a number field's value; a stored value is brought into the field's range
  kInteger,    // an integer kept as read, while its number field shows it brought into range
  kCheck,      // a check box: 0 unchecked, 1 checked, 2 grayed (any other value: unchecked)
  kItemIndex,  // a radio group's or drop-down list's 0-based selection, -1 none
  kColor,      // a colour swatch: 0x00BBGGRR
};

// How a value becomes its album setting.
enum class TransferForm {
  kNone,       // not transferred, or by hand (the sort code, the rows per file)
  kAsIs,       // the text or number unchanged
  kDated,      // the text with every "[date]" replaced by today's date
  kOn,         // true exactly when checked
  kDecimal,    // the number as decimal text
  kHtmlColor,  // "#RRGGBB" of the colour's low 24 bits
  kItemText,   // the selected item's text, empty when none is selected
};

// A value as the settings file holds it: the text of a kText key, an integer for every other.
using SettingValue = std::variant<std::string, int>;

// The control one key fills.
using ControlRef =
    std::variant<TextEdit*, NumberField*, CheckBox*, RadioGroup*, DropDownList*, ColorSwatch*>;

struct SettingRow {
  using PageControl =
      std::variant<std::monostate, TextEdit WizardModel::*, NumberField WizardModel::*,
                   CheckBox WizardModel::*, RadioGroup WizardModel::*, DropDownList WizardModel::*,
                   ColorSwatch WizardModel::*>;
  using DialogField =
      std::variant<std::monostate, TextEdit AdvancedDialogModel::*,
                   NumberField AdvancedDialogModel::*, CheckBox AdvancedDialogModel::*,
                   RadioGroup AdvancedDialogModel::*>;
  using KeptValue = std::variant<std::monostate, std::string AdvancedValues::*,
                                 int AdvancedValues::*, CheckState AdvancedValues::*>;
  using AlbumValue = std::variant<std::monostate, std::string AlbumSettings::*,
                                  int AlbumSettings::*, bool AlbumSettings::*>;

  const char* key = "";
  int page = 0;  // 1..7: LoadPageSettings(page) reads it
  SettingKind kind = SettingKind::kText;
  // The default when the key is absent: text (kText) or number. A text in_folder is taken in
  // that folder of SettingFolders ("default.jpg" there; "" is the folder itself).
  const char* default_text = "";
  enum class Folder { kNone, kProgram, kFirstImages } in_folder = Folder::kNone;
  int default_number = 0;
  int min = 0, max = 0;  // kNumber, kInteger: the number field's range
  bool saved = true;     // false: only read, so it keeps its default unless edited by hand
  // What it fills: a control of the window, or a field of the advanced settings dialog with
  // the kept value behind it. control is that control's name, which its widget carries too.
  PageControl page_control;
  DialogField dialog_field;
  KeptValue kept;
  const char* control = "";
  TransferForm transfer = TransferForm::kNone;
  AlbumValue album;

  bool in_dialog() const { return !std::holds_alternative<std::monostate>(dialog_field); }
};

// The folders a default text may lie in, each ending with a separator.
struct SettingFolders {
  std::string program;       // the executable's directory
  std::string first_images;  // the image folder page 1 offers while the file names none
};

// Every row, in saving order.
std::span<const SettingRow> SettingRows();
// The row of key (exact spelling); nullptr when there is none.
const SettingRow* FindSetting(std::string_view key);

// The value when the key is absent.
SettingValue DefaultSetting(const SettingRow& row, const SettingFolders& folders);
// The key's value in the file's "Settings" section, as the row's kind reads it.
SettingValue ReadSetting(const IniFile& file, const SettingRow& row,
                         const SettingFolders& folders);
void WriteSetting(IniFile& file, const SettingRow& row, const SettingValue& value);

// The window's control of a row that is not in_dialog, the dialog's field of one that is.
ControlRef ControlOf(const SettingRow& row, WizardModel& model);
ControlRef ControlOf(const SettingRow& row, AdvancedDialogModel& fields);
// Shows value in control through the control's own setter (which keeps its invariants and may
// run a check box's click handler).
void ShowSetting(ControlRef control, const SettingValue& value);
// What control holds, as it is saved.
SettingValue SettingOf(ControlRef control);

// The kept value of a row that is in_dialog, as it is saved, and its replacement by value.
SettingValue KeptSetting(const SettingRow& row, const AdvancedValues& kept);
void KeepSetting(const SettingRow& row, const SettingValue& value, AdvancedValues& kept);

// The check state a stored integer stands for: 1 checked, 2 grayed, anything else unchecked.
CheckState CheckStateOf(int stored);

// Gives every number field of the rows its range and its default.
void ApplySettingRanges(WizardModel& model);
void ApplySettingRanges(AdvancedDialogModel& fields);

// Puts value (read from control) into the row's album setting in the row's transfer form;
// today gives the date for kDated.
void TransferSetting(const SettingRow& row, const SettingValue& value, ControlRef control,
                     AlbumSettings& album, const std::function<std::string()>& today);

}  // namespace fotoloom
