// Every control of the wizard window and of the advanced settings dialog, as values.
//
// Member names are the controls' names, so a front end maps each widget onto its member 1:1.
// The Wizard (wizard.h) owns one WizardModel and one AdvancedDialog and connects the check
// boxes' click handlers; a front end reads the members to show them and writes the user's
// edits through the controls' setters (which run the check boxes' handlers). Which control a
// settings key fills, and each number field's range and default, are rows of the settings table
// (settings_table.h).
#pragma once

#include <string>

#include "wizard/controls.h"

namespace fotoloom {

// Captions of the button row and the one status text the wizard shows by itself.
inline constexpr char kCaptionBegin[] = "< &Begin";
inline constexpr char kCaptionBack[] = "< &Back";
inline constexpr char kCaptionNext[] = "&Next >";
inline constexpr char kCaptionCancel[] = "&Cancel";
inline constexpr char kCaptionClose[] = "&Close";
inline constexpr char kCaptionFinish[] = "&Finish";
inline constexpr char kCaptionHelp[] = "&Help";
inline constexpr char kWaitingForInput[] = "Waiting for user input...";
inline constexpr char kWindowCaption[] = "Fotoloom";

inline constexpr int kPageCount = 7;

struct WizardModel {
  WizardModel();
  WizardModel(const WizardModel&) = delete;
  WizardModel& operator=(const WizardModel&) = delete;

  std::string caption = kWindowCaption;
  // F1 opens the help at this context number: 90 + 10 x page.
  int help_context = 90;

  // The seven pages; exactly one is visible once the first page is shown.
  GroupBox gboxPage1, gboxPage2, gboxPage3, gboxPage4, gboxPage5, gboxPage6, gboxPage7;
  GroupBox* page(int n);  // 1..7, nullptr otherwise

  // Page 1: catalog file and image directory.
  TextEdit editAlbumFileName{255};
  TextEdit editAlbumDirectory{255};
  PushButton btnBrowseFolders{"&Browse"};
  CheckBox chkboxIncludeSubfolders;

  // Page 2: title, header, footer.
  TextEdit editAlbumName{255};
  TextEdit editAlbumHeader{255};
  TextEdit editAlbumFooter{255};

  // Page 3: layout.
  NumberField seditThumbGeometryW;
  NumberField seditThumbGeometryH;
  NumberField seditThumbsPerRow;
  CheckBox chkboxCreateMultipleFiles;
  NumberField seditThumbRowsPerFile;
  CheckBox chkboxUseDefaultsOnPage3;

  // Page 4: file details and sorting.
  GroupBox grpBoxFileDetails;
  CheckBox chkboxShowFileName;
  CheckBox chkboxShowFileExt;
  CheckBox chkboxShowFileTime;
  CheckBox chkboxShowFileSize;
  RadioGroup rgrpSortBy{{"Sort by Name", "Sort by Date", "Sort by Size"}};
  RadioGroup rgrpSortMethod{{"Ascending", "Descending"}};
  CheckBox chkboxUseDefaultsOnPage4;

  // Page 5: text and link colours.
  ColorSwatch editHeaderColor;
  PushButton btnSelectHeaderColor{"Browse"};
  ColorSwatch editTextColor;
  PushButton btnSelectTextColor{"Browse"};
  TextEdit editAlbumFont{0};
  DropDownList cmbHeaderSize{{"H1", "H2", "H3", "H4"}};
  NumberField seditFontSize;
  ColorSwatch editLinkColor;
  PushButton btnSelectLinkColor{"Browse"};
  ColorSwatch editVLinkColor;
  PushButton btnSelectVLinkColor{"Browse"};
  CheckBox chkboxUseDefaultsOnPage5;

  // Page 6: backgrounds; the advanced settings live in the AdvancedDialog.
  ColorSwatch editBgColor;
  PushButton btnSelectBgColor{"Browse"};
  CheckBox chkboxUseTableBgColor;
  ColorSwatch editTableBgColor;
  PushButton btnSelectTableBgColor{"Browse"};
  TextEdit editBgImage{255};
  PushButton btnSelectBgImage{"Browse"};
  TextEdit editBgSound{255};
  PushButton btnSelectBgSound{"Browse"};
  PushButton btnAdvancedSettings{"&Advanced Settings"};
  CheckBox chkboxUseDefaultsOnPage6;

  // Page 7: progress and what follows a run.
  ProgressBarControl ProgressBar1;
  StatusLabelControl lblProgressInfo;
  CheckBox chkBoxLaunchDefaultBrowser;
  CheckBox chkboxSaveSettings;
  CheckBox chkBoxExitAfterGenerating;

  // Values without a visible control (never shown; visible is false).
  CheckBox chkboxGenerateHTMLImages;
  NumberField seditThumbnailBorder;
  NumberField seditTableBorder;
  NumberField seditNameMaxLen;

  // The button row. Slots, left to right: btnBegin over btnBack; btnNext; btnCancel over
  // btnClose over btnFinish; btnHelp. Where several buttons of a slot are visible, the user
  // sees and clicks the first of that order.
  PushButton btnBegin{kCaptionBegin};
  PushButton btnBack{kCaptionBack};
  PushButton btnNext{kCaptionNext, true};
  PushButton btnCancel{kCaptionCancel};
  PushButton btnClose{kCaptionClose};
  PushButton btnFinish{kCaptionFinish};
  PushButton btnHelp{kCaptionHelp};
};

// The advanced settings dialog's fields (what it shows, not what it keeps).
struct AdvancedDialogModel {
  AdvancedDialogModel();
  AdvancedDialogModel(const AdvancedDialogModel&) = delete;
  AdvancedDialogModel& operator=(const AdvancedDialogModel&) = delete;

  std::string caption = "Advanced Settings";
  int help_context = 180;

  TextEdit editThumbDirectory{0};
  CheckBox chkboxEraseExistingFiles;
  TextEdit editEmptyThumbnail{0};
  PushButton btnBrowseEmptyThumbnail{"&Browse"};
  TextEdit editPrevious{0};
  TextEdit editNext{0};
  TextEdit editIndex{0};
  TextEdit editUp{0};
  CheckBox chkboxSlideShow;
  NumberField seditSlideDelay;
  // Display: previews fitted to the browser window, thumbnails for high-resolution screens,
  // and the style of the pages (the items are CatalogStyle's values in order).
  CheckBox chkboxPreviewImages;
  NumberField seditPreviewWidth;
  NumberField seditPreviewHeight;
  CheckBox chkboxHiDPIThumbnails;
  RadioGroup rgrpCatalogStyle{{"Classic pages, laid out in tables",
                               "Modern pages for phones and desktops"}};
  // The newer photo formats, the date taken, and the camera's details on image pages.
  CheckBox chkboxExtendedFormats;
  CheckBox chkboxUseDateTaken;
  CheckBox chkboxShowPhotoDetails;

  PushButton btnOK{"&OK", true};
  PushButton btnCancel{"&Cancel"};
  PushButton btnAbout{"&About"};
  PushButton btnHelp{"&Help"};
};

// The values the advanced settings dialog keeps (has accepted), apart from what its fields
// show; the settings file and the transfer use only these. One for each field of the dialog
// that a settings key fills.
struct AdvancedValues {
  std::string ThumbDirectory;
  CheckState EraseExistingFiles = CheckState::kUnchecked;
  std::string EmptyThumbnail;
  CheckState SlideShow = CheckState::kUnchecked;
  int SlideShowDelay = 0;  // seconds, as stored: not brought into the field's range
  std::string Previous;
  std::string Next;
  std::string Index;
  CheckState PreviewImages = CheckState::kUnchecked;
  int PreviewWidth = 0;  // pixels, in the field's range
  int PreviewHeight = 0;
  CheckState HiDPIThumbnails = CheckState::kUnchecked;
  int CatalogStyle = 0;  // the selection, as the radio group shows it
  CheckState ExtendedFormats = CheckState::kUnchecked;
  CheckState UseDateTaken = CheckState::kUnchecked;
  CheckState ShowPhotoDetails = CheckState::kUnchecked;
  std::string NavigationUpText;
};

}  // namespace fotoloom
