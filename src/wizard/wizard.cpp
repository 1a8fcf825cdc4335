#include "wizard/wizard.h"

#include <cctype>

#include "generation/client_ui.h"
#include "platform/paths.h"
#include "wizard/picker_filter.h"
#include "wizard/settings_location.h"
#include "wizard/settings_table.h"

namespace fotoloom {

namespace {

constexpr char kHelpFileName[] = "fotoloom.html";
constexpr char kOpenOption[] = "--open";

// Forwards the run's message pumping to the front end.
class ProgressPump : public MessagePump {
 public:
  explicit ProgressPump(WizardUi& ui) : ui_(ui) {}
  void ProcessMessages() override { ui_.PumpMessages(); }

 private:
  WizardUi& ui_;
};

}  // namespace

WizardEnvironment DefaultWizardEnvironment(int argc, const char* const* argv) {
  WizardEnvironment env;
  env.executable_directory = ExecutableDirectory();
  if (env.executable_directory.empty() && argc > 0 && argv[0] != nullptr) {
    env.executable_directory = ExtractFilePath(ExpandFileName(argv[0]));
  }
  env.settings_path = SettingsFilePath(env.executable_directory);
  env.help_file = env.executable_directory + kHelpFileName;
  if (argc > 1 && argv[1] != nullptr) {
    if (std::string(argv[1]) == kOpenOption) {
      if (argc > 2 && argv[2] != nullptr) env.start_directory = argv[2];
    } else {
      env.command_line_directory = argv[1];
    }
  }
  return env;
}

const std::string& Wizard::FirstImageFolder() const {
  return env_.first_image_directory.empty() ? env_.executable_directory
                                            : env_.first_image_directory;
}

Wizard::Wizard(WizardEnvironment environment, WizardUi& ui)
    : env_(std::move(environment)), ui_(ui), pump_(std::make_unique<ProgressPump>(ui)) {
  model_.chkboxUseDefaultsOnPage3.on_click = [this] { chkboxUseDefaultsOnPage3Click(); };
  model_.chkboxUseDefaultsOnPage4.on_click = [this] { chkboxUseDefaultsOnPage4Click(); };
  model_.chkboxUseDefaultsOnPage5.on_click = [this] { chkboxUseDefaultsOnPage5Click(); };
  model_.chkboxUseDefaultsOnPage6.on_click = [this] { chkboxUseDefaultsOnPage6Click(); };
  model_.chkboxCreateMultipleFiles.on_click = [this] { chkboxCreateMultipleFilesClick(); };
  model_.chkboxUseTableBgColor.on_click = [this] { chkboxUseTableBgColorClick(); };

  for (int n = 1; n <= kPageCount; ++n) model_.page(n)->visible = false;
  model_.chkboxGenerateHTMLImages.visible = false;
  model_.seditThumbnailBorder.visible = false;
  model_.seditTableBorder.visible = false;
  model_.seditNameMaxLen.visible = false;
  RowsPerFileRule();
  TableColorRule();

  // What creating the window does: the run-only buttons hidden, page 1 loaded and shown.
  model_.btnBegin.visible = false;
  model_.btnClose.visible = false;
  model_.btnCancel.visible = false;
  UpdateButtons();
  current_page_ = 0;
  first_paint_pending_ = true;
  advanced_ = std::make_unique<AdvancedDialog>(
      ui_, env_.executable_directory, env_.help_file,
      [this](const std::string& path) { return AlbumPath(path); });
  StepPage(+1);
}

Wizard::~Wizard() {
  // The run's reporting must not outlive the controls it points at.
  SetProgressTarget(nullptr, nullptr, nullptr);
}

void Wizard::FormPaint() {
  if (!first_paint_pending_) return;
  first_paint_pending_ = false;
  for (int n = 1; n <= kPageCount; ++n) LoadPageSettings(n);
  if (!env_.start_directory.empty()) model_.editAlbumDirectory.SetText(env_.start_directory);
  RunFromCommandLine();
}

// --- navigation ----------------------------------------------------------------------------

void Wizard::UpdateButtons() {
  model_.btnNext.enabled = current_page_ < kPageCount;
  model_.btnBack.enabled = current_page_ > 1;
  model_.btnFinish.enabled = current_page_ >= 3;
  model_.btnCancel.visible = false;
}

void Wizard::DisableButtons() {
  model_.btnNext.enabled = false;
  model_.btnBack.enabled = false;
  model_.btnFinish.enabled = false;
  model_.btnBegin.visible = false;
  model_.btnClose.visible = false;
}

void Wizard::ShowPage(int page) {
  if (page >= 1 && page <= kPageCount) {
    for (int n = 1; n <= kPageCount; ++n) model_.page(n)->visible = n == page;
  }
  model_.help_context = 90 + 10 * current_page_;
}

bool Wizard::StepPage(int direction) {
  bool allowed = false;
  if (direction == -1) {
    allowed = current_page_ > 1;
  } else if (direction == +1) {
    allowed = current_page_ < kPageCount && ValidatePage(current_page_);
  }
  if (allowed) {
    if (direction == -1) {
      --current_page_;
      LoadPageSettings(current_page_ + 1);
    } else {
      ++current_page_;
      LoadPageSettings(current_page_);
    }
    ShowPage(current_page_);
  }
  UpdateButtons();
  return allowed;
}

bool Wizard::AdvanceToFinish() {
  bool ok = ValidatePage(current_page_);
  while (ok && current_page_ < kPageCount) {
    ++current_page_;
    LoadPageSettings(current_page_);
    ok = ValidatePage(current_page_);
  }
  ShowPage(current_page_);
  UpdateButtons();
  return ok;
}

void Wizard::btnBeginClick() {
  delete_catalog_file_ = false;
  delete_numbered_files_ = false;
  model_.btnBegin.visible = false;
  model_.btnClose.visible = false;
  UpdateButtons();
  current_page_ = 0;
  StepPage(+1);
  for (int n = 1; n <= kPageCount; ++n) LoadPageSettings(n);
}

void Wizard::btnHelpClick() {
  ui_.OpenHelp(env_.help_file, "STEP_" + std::to_string(current_page_));
}

// --- page controls -------------------------------------------------------------------------

void Wizard::RowsPerFileRule() {
  model_.seditThumbRowsPerFile.enabled =
      model_.chkboxCreateMultipleFiles.checked() && !model_.chkboxUseDefaultsOnPage3.checked();
}

void Wizard::TableColorRule() {
  model_.btnSelectTableBgColor.enabled =
      model_.chkboxUseTableBgColor.checked() && !model_.chkboxUseDefaultsOnPage6.checked();
}

// Each "Use default values" box reloads its page when it becomes checked and locks the page's
// controls while it stays checked: every control a key of the page fills (except the box itself,
// colour swatches, which are never enabled, and values without a visible control) and the
// buttons of the page. The lock follows the box's state after the reload: a stored "off" that
// the reload puts back leaves the page unlocked, never locked behind an unchecked box.
void Wizard::LockPage(int page, const CheckBox& box, std::initializer_list<Control*> buttons) {
  if (box.checked()) LoadPageSettings(page);
  const bool unlocked = !box.checked();
  for (const SettingRow& row : SettingRows()) {
    if (row.page != page || row.in_dialog()) continue;
    const ControlRef control = ControlOf(row, model_);
    if (std::holds_alternative<ColorSwatch*>(control)) continue;
    Control* c = std::visit([](Control* any) { return any; }, control);
    if (c != &box && c->visible) c->enabled = unlocked;
  }
  for (Control* button : buttons) button->enabled = unlocked;
}

void Wizard::chkboxUseDefaultsOnPage3Click() {
  LockPage(3, model_.chkboxUseDefaultsOnPage3, {});
  RowsPerFileRule();
}

void Wizard::chkboxUseDefaultsOnPage4Click() {
  LockPage(4, model_.chkboxUseDefaultsOnPage4, {&model_.grpBoxFileDetails});
}

void Wizard::chkboxUseDefaultsOnPage5Click() {
  LockPage(5, model_.chkboxUseDefaultsOnPage5,
           {&model_.btnSelectHeaderColor, &model_.btnSelectTextColor, &model_.btnSelectLinkColor,
            &model_.btnSelectVLinkColor});
}

void Wizard::chkboxUseDefaultsOnPage6Click() {
  LockPage(6, model_.chkboxUseDefaultsOnPage6,
           {&model_.btnSelectBgColor, &model_.btnSelectBgImage, &model_.btnSelectBgSound,
            &model_.btnAdvancedSettings});
  TableColorRule();
}

void Wizard::PickColorInto(ColorSwatch& swatch) {
  if (auto picked = ui_.PickColor(last_picked_color_)) {
    last_picked_color_ = *picked;
    swatch.color = *picked;
  }
}

// The picker opens where the field points, so a folder near the current one is a click away.
void Wizard::btnBrowseFoldersClick() {
  const std::string& current = model_.editAlbumDirectory.text();
  const std::string start = DirectoryExists(current) ? current : std::string();
  if (auto folder = ui_.PickFolder(kFolderPickerTitle, start))
    model_.editAlbumDirectory.SetText(*folder);
}

void Wizard::btnSelectBgImageClick() {
  FilePickerRequest request;
  request.initial_directory = PickerDirectory(model_.editBgImage.text(), FirstImageFolder());
  request.filter = PickerFilter(kBgImageFilter, PickerUse::kBrowserShown);
  request.image_preview = true;
  if (auto file = ui_.PickFile(request)) model_.editBgImage.SetText(*file);
}

void Wizard::btnSelectBgSoundClick() {
  FilePickerRequest request;
  request.initial_directory = PickerDirectory(model_.editBgSound.text(), FirstImageFolder());
  request.filter = kBgSoundFilter;
  if (auto file = ui_.PickFile(request)) model_.editBgSound.SetText(*file);
}

void Wizard::btnAdvancedSettingsClick() { ui_.ShowAdvancedDialog(*advanced_); }

std::string NormalizeCatalogFileName(const std::string& name) {
  std::string ext = ExtractFileExt(name);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (ext == ".html") return name;
  return StripFileExt(ExtractFileName(name)) + ".html";
}

bool Wizard::TakesDroppedFolder() const {
  const TextEdit& field = model_.editAlbumDirectory;
  return current_page_ == 1 && !running_ && field.enabled && field.visible;
}

void Wizard::FolderDropped(const std::string& folder) {
  if (TakesDroppedFolder()) model_.editAlbumDirectory.SetText(folder);
}

void Wizard::editAlbumFileNameExit() {
  model_.editAlbumFileName.SetText(NormalizeCatalogFileName(model_.editAlbumFileName.text()));
}

}  // namespace fotoloom
