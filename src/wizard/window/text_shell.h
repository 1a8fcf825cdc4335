// The wizard's boxes where nobody can see one: on a platform without a display a person looks
// at (Qt's "offscreen" and "minimal"), and while the documentation's pictures are taken. A box
// that waited there would wait for ever.
#pragma once

#include <string>

#include "wizard/wizard_ui.h"

namespace fotoloom {

// Warnings go to standard error (each "\r" a line break), every question is answered "&No" and
// said so, pickers and dialogs are cancelled, and documents and help are not opened (reported
// as opened, so that no warning follows).
class TextShell : public WizardUi {
 public:
  // warning_prefix starts each warning's first line ("Warning: ").
  explicit TextShell(std::string warning_prefix) : warning_prefix_(std::move(warning_prefix)) {}

  // How many warnings were shown.
  int warnings() const { return warnings_; }

  void ShowWarning(const std::string& text) override;
  bool AskQuestion(const std::string& text) override;
  std::optional<std::int32_t> PickColor(std::int32_t) override { return std::nullopt; }
  std::optional<std::string> PickFolder(const std::string&, const std::string&) override {
    return std::nullopt;
  }
  std::optional<std::string> PickFile(const FilePickerRequest&) override { return std::nullopt; }
  void ShowAdvancedDialog(AdvancedDialog&) override {}
  void ShowAbout() override {}
  bool OpenDocument(const std::string&, const std::string&) override { return true; }
  bool OpenHelp(const std::string&, const std::string&) override { return true; }
  void SetBusyCursor(bool) override {}
  void CloseWindow() override {}
  void PumpMessages() override {}

 private:
  std::string warning_prefix_;
  int warnings_ = 0;
};

}  // namespace fotoloom
