#include "wizard/settings_table.h"

#include <algorithm>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/error.h"
#include "wizard/transfer.h"
#include "wizard/wizard.h"

namespace fotoloom {
namespace {

// The control a key fills, named once: its member (with the dialog's kept value behind a
// dialog's field) and the name its widget carries.
#define FL_ON_PAGE(control) OnPage(&WizardModel::control, #control)
#define FL_IN_DIALOG(field, kept) \
  InDialog(&AdvancedDialogModel::field, &AdvancedValues::kept, #field)

template <class Control>
struct Target {
  SettingRow::PageControl page_control;
  SettingRow::DialogField dialog_field;
  SettingRow::KeptValue kept;
  const char* name;
};

template <class Control>
Target<Control> OnPage(Control WizardModel::*control, const char* name) {
  return {control, {}, {}, name};
}

// Each kind of field of the dialog with the kind of value it keeps.
Target<TextEdit> InDialog(TextEdit AdvancedDialogModel::*field, std::string AdvancedValues::*kept,
                          const char* name) {
  return {{}, field, kept, name};
}
Target<NumberField> InDialog(NumberField AdvancedDialogModel::*field, int AdvancedValues::*kept,
                             const char* name) {
  return {{}, field, kept, name};
}
Target<CheckBox> InDialog(CheckBox AdvancedDialogModel::*field, CheckState AdvancedValues::*kept,
                          const char* name) {
  return {{}, field, kept, name};
}
Target<RadioGroup> InDialog(RadioGroup AdvancedDialogModel::*field, int AdvancedValues::*kept,
                            const char* name) {
  return {{}, field, kept, name};
}

struct Range {
  int min, max;
};

// The text a key has when it is absent; InProgramFolder("x") is "x" in the executable's folder,
// InFirstImageFolder("") that folder itself.
struct Fallback {
  Fallback(const char* text) : text(text) {}  // NOLINT: a plain text is the usual fallback
  Fallback(const char* text, SettingRow::Folder folder) : text(text), folder(folder) {}
  const char* text;
  SettingRow::Folder folder = SettingRow::Folder::kNone;
};
Fallback InProgramFolder(const char* name) { return {name, SettingRow::Folder::kProgram}; }
Fallback InFirstImageFolder(const char* name) { return {name, SettingRow::Folder::kFirstImages}; }

struct Transfer {
  TransferForm form = TransferForm::kNone;
  SettingRow::AlbumValue album;
};
Transfer AsIs(std::string AlbumSettings::*member) { return {TransferForm::kAsIs, member}; }
Transfer AsIs(int AlbumSettings::*member) { return {TransferForm::kAsIs, member}; }
Transfer Dated(std::string AlbumSettings::*member) { return {TransferForm::kDated, member}; }
Transfer On(bool AlbumSettings::*member) { return {TransferForm::kOn, member}; }
Transfer Decimal(std::string AlbumSettings::*member) { return {TransferForm::kDecimal, member}; }
Transfer Html(std::string AlbumSettings::*member) { return {TransferForm::kHtmlColor, member}; }
Transfer ItemText(std::string AlbumSettings::*member) { return {TransferForm::kItemText, member}; }

template <class Control>
SettingRow Row(const char* key, int page, SettingKind kind, const Target<Control>& target,
               Transfer transfer) {
  SettingRow row;
  row.key = key;
  row.page = page;
  row.kind = kind;
  row.page_control = target.page_control;
  row.dialog_field = target.dialog_field;
  row.kept = target.kept;
  row.control = target.name;
  row.transfer = transfer.form;
  row.album = transfer.album;
  return row;
}

// --- one helper per kind of row ------------------------------------------------------------

SettingRow Text(const char* key, int page, Fallback fallback, const Target<TextEdit>& target,
                Transfer transfer = {}) {
  SettingRow row = Row(key, page, SettingKind::kText, target, transfer);
  row.default_text = fallback.text;
  row.in_folder = fallback.folder;
  return row;
}
SettingRow Number(const char* key, int page, int fallback, Range range,
                  const Target<NumberField>& target, Transfer transfer = {},
                  SettingKind kind = SettingKind::kNumber) {
  SettingRow row = Row(key, page, kind, target, transfer);
  row.default_number = fallback;
  row.min = range.min;
  row.max = range.max;
  return row;
}
// A number kept as read, while its field shows it in range.
SettingRow Integer(const char* key, int page, int fallback, Range range,
                   const Target<NumberField>& target, Transfer transfer) {
  return Number(key, page, fallback, range, target, transfer, SettingKind::kInteger);
}
template <class Control>
SettingRow WithNumber(const char* key, int page, SettingKind kind, int fallback,
                      const Target<Control>& target, Transfer transfer) {
  SettingRow row = Row(key, page, kind, target, transfer);
  row.default_number = fallback;
  return row;
}
SettingRow Check(const char* key, int page, int fallback, const Target<CheckBox>& target,
                 Transfer transfer = {}) {
  return WithNumber(key, page, SettingKind::kCheck, fallback, target, transfer);
}
template <class Choices>
SettingRow Choice(const char* key, int page, int fallback, const Target<Choices>& target,
                  Transfer transfer = {}) {
  return WithNumber(key, page, SettingKind::kItemIndex, fallback, target, transfer);
}
SettingRow Color(const char* key, int page, int fallback, const Target<ColorSwatch>& target,
                 Transfer transfer) {
  return WithNumber(key, page, SettingKind::kColor, fallback, target, transfer);
}
// A key that is read but never saved.
SettingRow ReadOnly(SettingRow row) {
  row.saved = false;
  return row;
}

using A = AlbumSettings;

const std::vector<SettingRow>& Table() {
  static const std::vector<SettingRow> rows = {
      Text("AlbumFileName", 1, "_cat.html", FL_ON_PAGE(editAlbumFileName), AsIs(&A::AlbumFileName)),
      Text("AlbumDirectory", 1, InFirstImageFolder(""), FL_ON_PAGE(editAlbumDirectory),
           AsIs(&A::AlbumDirectory)),
      Text("AlbumName", 2, "My Catalog [date]", FL_ON_PAGE(editAlbumName), Dated(&A::AlbumName)),
      Text("AlbumHeader", 2, "Images [date]", FL_ON_PAGE(editAlbumHeader), Dated(&A::AlbumHeader)),
      Text("AlbumFooter", 2, "Copyright &copy Your Name", FL_ON_PAGE(editAlbumFooter),
           Dated(&A::AlbumFooter)),
      Number("ThumbGeometryW", 3, 100, {25, 640}, FL_ON_PAGE(seditThumbGeometryW),
             AsIs(&A::ThumbGeometryW)),
      Number("ThumbGeometryH", 3, 100, {25, 640}, FL_ON_PAGE(seditThumbGeometryH),
             AsIs(&A::ThumbGeometryH)),
      Number("ThumbsPerRow", 3, 6, {1, 25}, FL_ON_PAGE(seditThumbsPerRow), AsIs(&A::ThumbsPerRow)),
      Check("CreateMultipleFiles", 3, 1, FL_ON_PAGE(chkboxCreateMultipleFiles)),
      Number("ThumbRowsPerFile", 3, 25, {1, 50000}, FL_ON_PAGE(seditThumbRowsPerFile)),
      Check("ShowFileName", 4, 1, FL_ON_PAGE(chkboxShowFileName), On(&A::ShowFileName)),
      Check("ShowFileExtension", 4, 1, FL_ON_PAGE(chkboxShowFileExt), On(&A::ShowFileExtension)),
      Check("ShowFileTime", 4, 1, FL_ON_PAGE(chkboxShowFileTime), On(&A::ShowFileTime)),
      Check("ShowFileSize", 4, 1, FL_ON_PAGE(chkboxShowFileSize), On(&A::ShowFileSize)),
      Choice("SortingCriteria", 4, 0, FL_ON_PAGE(rgrpSortBy)),
      Choice("SortingMethod", 4, 0, FL_ON_PAGE(rgrpSortMethod)),
      ReadOnly(Check("UseDefaultsOnPage4", 4, 1, FL_ON_PAGE(chkboxUseDefaultsOnPage4))),
      Color("HeaderColor", 5, 16744576, FL_ON_PAGE(editHeaderColor), Html(&A::HeaderColor)),
      Color("TextColor", 5, 16744576, FL_ON_PAGE(editTextColor), Html(&A::TextColor)),
      Choice("HeaderSize", 5, 2, FL_ON_PAGE(cmbHeaderSize), ItemText(&A::HeaderSize)),
      Number("FontSize", 5, 1, {1, 5}, FL_ON_PAGE(seditFontSize), Decimal(&A::FontSize)),
      Text("Font", 5, "Verdana, Arial, Helvetica", FL_ON_PAGE(editAlbumFont), AsIs(&A::Font)),
      Color("LinkColor", 5, 16711680, FL_ON_PAGE(editLinkColor), Html(&A::LinkColor)),
      Color("VLinkColor", 5, 8388736, FL_ON_PAGE(editVLinkColor), Html(&A::VLinkColor)),
      ReadOnly(Check("UseDefaultsOnPage5", 5, 1, FL_ON_PAGE(chkboxUseDefaultsOnPage5))),
      Number("ThumbnailBorder", 6, 0, {0, 25}, FL_ON_PAGE(seditThumbnailBorder),
             Decimal(&A::ThumbnailBorder)),
      Number("TableBorder", 6, 0, {0, 25}, FL_ON_PAGE(seditTableBorder), Decimal(&A::TableBorder)),
      Color("BgColor", 6, 0, FL_ON_PAGE(editBgColor), Html(&A::BgColor)),
      Check("UseTableBgColor", 6, 0, FL_ON_PAGE(chkboxUseTableBgColor), On(&A::UseTableBgColor)),
      Color("TableBgColor", 6, 0, FL_ON_PAGE(editTableBgColor), Html(&A::TableBgColor)),
      Text("BgImage", 6, "", FL_ON_PAGE(editBgImage), AsIs(&A::BgImage)),
      Text("BgSound", 6, "", FL_ON_PAGE(editBgSound), AsIs(&A::BgSound)),
      Text("ThumbDirectory", 6, "fldata", FL_IN_DIALOG(editThumbDirectory, ThumbDirectory),
           AsIs(&A::ThumbDirectory)),
      Check("EraseExistingFiles", 6, 1, FL_IN_DIALOG(chkboxEraseExistingFiles, EraseExistingFiles),
            On(&A::EraseExistingFiles)),
      Text("EmptyThumbnail", 6, InProgramFolder("default.jpg"),
           FL_IN_DIALOG(editEmptyThumbnail, EmptyThumbnail), AsIs(&A::EmptyThumbnail)),
      Check("SlideShow", 6, 0, FL_IN_DIALOG(chkboxSlideShow, SlideShow), On(&A::SlideShow)),
      Integer("SlideShowDelay", 6, 15, {1, 10000}, FL_IN_DIALOG(seditSlideDelay, SlideShowDelay),
              AsIs(&A::SlideShowDelay)),
      Text("Previous", 6, "&lt- Back", FL_IN_DIALOG(editPrevious, Previous), AsIs(&A::Previous)),
      Text("Next", 6, "Next -&gt", FL_IN_DIALOG(editNext, Next), AsIs(&A::Next)),
      Text("Index", 6, "Index", FL_IN_DIALOG(editIndex, Index), AsIs(&A::Index)),
      Number("NameMaxLen", 6, 12, {0, 250}, FL_ON_PAGE(seditNameMaxLen), AsIs(&A::NameMaxLen)),
      ReadOnly(Check("UseDefaultsOnPage6", 6, 1, FL_ON_PAGE(chkboxUseDefaultsOnPage6))),
      Check("LaunchDefaultBrowser", 7, 1, FL_ON_PAGE(chkBoxLaunchDefaultBrowser)),
      ReadOnly(Check("SaveSettings", 7, 0, FL_ON_PAGE(chkboxSaveSettings))),
      Check("ExitAfterGenerating", 7, 0, FL_ON_PAGE(chkBoxExitAfterGenerating)),
      ReadOnly(Check("GenerateHTMLImages", 7, 1, FL_ON_PAGE(chkboxGenerateHTMLImages),
                     On(&A::GenerateHTMLImages))),
      // Keys added since, last so that an earlier file only grows at its end: the display
      // options.
      Check("PreviewImages", 6, 0, FL_IN_DIALOG(chkboxPreviewImages, PreviewImages),
            On(&A::PreviewImages)),
      Number("PreviewWidth", 6, 1600, {kPreviewMin, kPreviewMax},
             FL_IN_DIALOG(seditPreviewWidth, PreviewWidth), AsIs(&A::PreviewWidth)),
      Number("PreviewHeight", 6, 1200, {kPreviewMin, kPreviewMax},
             FL_IN_DIALOG(seditPreviewHeight, PreviewHeight), AsIs(&A::PreviewHeight)),
      Check("HiDPIThumbnails", 6, 0, FL_IN_DIALOG(chkboxHiDPIThumbnails, HiDPIThumbnails),
            On(&A::HiDPIThumbnails)),
      Choice("CatalogStyle", 6, kClassicCatalog, FL_IN_DIALOG(rgrpCatalogStyle, CatalogStyle),
             AsIs(&A::CatalogStyle)),
      Check("ExtendedFormats", 6, 0, FL_IN_DIALOG(chkboxExtendedFormats, ExtendedFormats),
            On(&A::ExtendedFormats)),
      Check("UseDateTaken", 6, 0, FL_IN_DIALOG(chkboxUseDateTaken, UseDateTaken),
            On(&A::UseDateTaken)),
      Check("ShowPhotoDetails", 6, 0, FL_IN_DIALOG(chkboxShowPhotoDetails, ShowPhotoDetails),
            On(&A::ShowPhotoDetails)),
      // Sub-folders as sub-albums.
      Check("IncludeSubfolders", 1, 0, FL_ON_PAGE(chkboxIncludeSubfolders),
            On(&A::IncludeSubfolders)),
      Text("NavigationUpText", 6, "Up", FL_IN_DIALOG(editUp, NavigationUpText),
           AsIs(&A::NavigationUpText)),
  };
  return rows;
}

#undef FL_ON_PAGE
#undef FL_IN_DIALOG

template <class... F>
struct Overload : F... {
  using F::operator()...;
};

// A row asked for what it does not have: a fault of the table, not of the user's input.
Error NoControl(const SettingRow& row) { return Error(std::string("No control for ") + row.key); }
Error NoKeptValue(const SettingRow& row) {
  return Error(std::string("No kept value for ") + row.key);
}

template <class Model, class Member>
ControlRef Resolve(const SettingRow& row, const Member& member, Model& model) {
  return std::visit(
      [&](auto pointer) -> ControlRef {
        if constexpr (std::is_same_v<decltype(pointer), std::monostate>) {
          throw NoControl(row);
        } else {
          return &(model.*pointer);
        }
      },
      member);
}

}  // namespace

std::span<const SettingRow> SettingRows() { return Table(); }

const SettingRow* FindSetting(std::string_view key) {
  const auto& rows = Table();
  const auto it = std::find_if(rows.begin(), rows.end(),
                               [key](const SettingRow& row) { return row.key == key; });
  return it == rows.end() ? nullptr : &*it;
}

SettingValue DefaultSetting(const SettingRow& row, const SettingFolders& folders) {
  if (row.kind != SettingKind::kText) return row.default_number;
  switch (row.in_folder) {
    case SettingRow::Folder::kProgram:
      return folders.program + row.default_text;
    case SettingRow::Folder::kFirstImages:
      return folders.first_images + row.default_text;
    case SettingRow::Folder::kNone:
      break;
  }
  return std::string(row.default_text);
}

SettingValue ReadSetting(const IniFile& file, const SettingRow& row,
                         const SettingFolders& folders) {
  const SettingValue fallback = DefaultSetting(row, folders);
  if (const auto* text = std::get_if<std::string>(&fallback))
    return file.ReadString(kSettingsSection, row.key, *text);
  return file.ReadInteger(kSettingsSection, row.key, std::get<int>(fallback));
}

void WriteSetting(IniFile& file, const SettingRow& row, const SettingValue& value) {
  if (const auto* text = std::get_if<std::string>(&value)) {
    file.WriteString(kSettingsSection, row.key, *text);
  } else {
    file.WriteInteger(kSettingsSection, row.key, std::get<int>(value));
  }
}

ControlRef ControlOf(const SettingRow& row, WizardModel& model) {
  return Resolve(row, row.page_control, model);
}

ControlRef ControlOf(const SettingRow& row, AdvancedDialogModel& fields) {
  return Resolve(row, row.dialog_field, fields);
}

void ShowSetting(ControlRef control, const SettingValue& value) {
  const auto number = [&] { return std::get<int>(value); };
  std::visit(Overload{
                 [&](TextEdit* edit) { edit->SetText(std::get<std::string>(value)); },
                 [&](NumberField* field) { field->SetValue(number()); },
                 [&](CheckBox* box) { box->SetState(CheckStateOf(number())); },
                 [&](RadioGroup* group) { group->SetItemIndex(number()); },
                 [&](DropDownList* list) { list->SetItemIndex(number()); },
                 [&](ColorSwatch* swatch) { swatch->color = number(); },
             },
             control);
}

SettingValue SettingOf(ControlRef control) {
  return std::visit(
      Overload{
          [](TextEdit* edit) -> SettingValue { return edit->text(); },
          [](NumberField* field) -> SettingValue { return field->value(); },
          [](CheckBox* box) -> SettingValue { return static_cast<int>(box->state()); },
          [](RadioGroup* group) -> SettingValue { return group->item_index(); },
          [](DropDownList* list) -> SettingValue { return list->item_index(); },
          [](ColorSwatch* swatch) -> SettingValue { return swatch->color; },
      },
      control);
}

CheckState CheckStateOf(int stored) {
  switch (stored) {
    case 1:
      return CheckState::kChecked;
    case 2:
      return CheckState::kGrayed;
    default:
      return CheckState::kUnchecked;
  }
}

SettingValue KeptSetting(const SettingRow& row, const AdvancedValues& kept) {
  return std::visit(
      Overload{
          [&](std::string AdvancedValues::*text) -> SettingValue { return kept.*text; },
          [&](int AdvancedValues::*number) -> SettingValue { return kept.*number; },
          [&](CheckState AdvancedValues::*state) -> SettingValue {
            return static_cast<int>(kept.*state);
          },
          [&](std::monostate) -> SettingValue { throw NoKeptValue(row); },
      },
      row.kept);
}

void KeepSetting(const SettingRow& row, const SettingValue& value, AdvancedValues& kept) {
  std::visit(
      Overload{
          [&](std::string AdvancedValues::*text) { kept.*text = std::get<std::string>(value); },
          [&](int AdvancedValues::*number) { kept.*number = std::get<int>(value); },
          [&](CheckState AdvancedValues::*state) {
            kept.*state = CheckStateOf(std::get<int>(value));
          },
          [&](std::monostate) { throw NoKeptValue(row); },
      },
      row.kept);
}

namespace {

template <class Model>
void ApplyRanges(Model& model, bool in_dialog) {
  for (const SettingRow& row : Table()) {
    if (row.in_dialog() != in_dialog) continue;
    if (row.kind != SettingKind::kNumber && row.kind != SettingKind::kInteger) continue;
    *std::get<NumberField*>(ControlOf(row, model)) =
        NumberField(row.min, row.max, row.default_number);
  }
}

}  // namespace

void ApplySettingRanges(WizardModel& model) { ApplyRanges(model, false); }
void ApplySettingRanges(AdvancedDialogModel& fields) { ApplyRanges(fields, true); }

void TransferSetting(const SettingRow& row, const SettingValue& value, ControlRef control,
                     AlbumSettings& album, const std::function<std::string()>& today) {
  const auto text = [&] { return std::get<std::string>(value); };
  const auto number = [&] { return std::get<int>(value); };
  const auto set_text = [&](std::string to) {
    album.*std::get<std::string A::*>(row.album) = std::move(to);
  };
  switch (row.transfer) {
    case TransferForm::kNone:
      return;
    case TransferForm::kAsIs:
      if (std::holds_alternative<int A::*>(row.album)) {
        album.*std::get<int A::*>(row.album) = number();
      } else {
        set_text(text());
      }
      return;
    case TransferForm::kDated:
      return set_text(ExpandDate(text(), today));
    case TransferForm::kOn:
      album.*std::get<bool A::*>(row.album) = number() == static_cast<int>(CheckState::kChecked);
      return;
    case TransferForm::kDecimal:
      return set_text(std::to_string(number()));
    case TransferForm::kHtmlColor:
      // A swatch holds a 24-bit colour; the bits above, from a hand-edited negative or
      // oversized value, would make a nine-character colour no page can use.
      return set_text(ColorToHtml(number() & 0xFFFFFF));
    case TransferForm::kItemText:
      return set_text(std::get<DropDownList*>(control)->text());
  }
}

}  // namespace fotoloom
