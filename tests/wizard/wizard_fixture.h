// Shared pieces of the wizard tests: a front end with scripted answers that records what the
// wizard asked of it, and a fixture with a private executable folder, settings file and album
// directory under a fresh temporary directory.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "generation/client_ui.h"
#include "wizard/wizard.h"

namespace fotoloom::testing {

class ScriptedUi : public WizardUi {
 public:
  // Everything the wizard asked for, in order: "warning: <text>", "question: <text>",
  // "open: <document> in <dir>", "help: <topic>", "close", "busy", "idle", ...
  std::vector<std::string> events;
  std::deque<bool> answers;  // answers to questions; none left answers "&No"
  std::deque<std::optional<std::int32_t>> colors;
  std::vector<std::int32_t> color_initials;
  std::deque<std::optional<std::string>> files;
  std::vector<FilePickerRequest> file_requests;
  std::optional<std::string> folder;
  std::vector<std::string> folder_initials;
  bool opens = true;  // whether documents and help can be opened
  std::function<void(AdvancedDialog&)> on_advanced;
  std::function<void()> on_pump;
  int pumps = 0;

  std::vector<std::string> Warnings() const { return WithPrefix("warning: "); }
  std::vector<std::string> Questions() const { return WithPrefix("question: "); }
  bool Has(const std::string& event) const {
    for (const auto& e : events)
      if (e == event) return true;
    return false;
  }

  void ShowWarning(const std::string& text) override { events.push_back("warning: " + text); }
  bool AskQuestion(const std::string& text) override {
    events.push_back("question: " + text);
    if (answers.empty()) return false;
    bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::optional<std::int32_t> PickColor(std::int32_t initial) override {
    color_initials.push_back(initial);
    if (colors.empty()) return std::nullopt;
    auto c = colors.front();
    colors.pop_front();
    return c;
  }
  std::optional<std::string> PickFolder(const std::string& title,
                                        const std::string& initial_directory) override {
    events.push_back("folder: " + title);
    folder_initials.push_back(initial_directory);
    return folder;
  }
  std::optional<std::string> PickFile(const FilePickerRequest& request) override {
    file_requests.push_back(request);
    if (files.empty()) return std::nullopt;
    auto f = files.front();
    files.pop_front();
    return f;
  }
  void ShowAdvancedDialog(AdvancedDialog& dialog) override {
    events.push_back("advanced");
    if (on_advanced) on_advanced(dialog);
  }
  void ShowAbout() override { events.push_back("about"); }
  bool OpenDocument(const std::string& document, const std::string& dir) override {
    events.push_back("open: " + document + " in " + dir);
    return opens;
  }
  bool OpenHelp(const std::string&, const std::string& topic) override {
    events.push_back("help: " + topic);
    return opens;
  }
  void SetBusyCursor(bool busy) override { events.push_back(busy ? "busy" : "idle"); }
  void CloseWindow() override { events.push_back("close"); }
  void PumpMessages() override {
    ++pumps;
    if (on_pump) on_pump();
  }

 private:
  std::vector<std::string> WithPrefix(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const auto& e : events)
      if (e.rfind(prefix, 0) == 0) out.push_back(e.substr(prefix.size()));
    return out;
  }
};

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

inline void WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

inline void Touch(const std::string& path) { WriteText(path, "x"); }

class WizardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "wizard-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern + "/";
    exe_dir_ = root_ + "bin/";
    album_dir_ = root_ + "album/";
    std::filesystem::create_directories(exe_dir_);
    std::filesystem::create_directories(album_dir_);
    settings_ = exe_dir_ + "Settings.ini";
    Touch(exe_dir_ + "default.jpg");
    ResetClientUI();
  }

  void TearDown() override {
    wizard_.reset();
    ResetClientUI();
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }

  WizardEnvironment Environment() const {
    WizardEnvironment env;
    env.executable_directory = exe_dir_;
    env.first_image_directory = first_image_directory_;
    env.settings_path = settings_;
    env.help_file = exe_dir_ + "fotoloom.html";
    env.command_line_directory = command_line_;
    env.start_directory = start_directory_;
    env.short_date = [] { return std::string("6.12.2026"); };
    env.generate = generate_;
    return env;
  }

  // The window as the user first sees it: created and painted once.
  Wizard& Open() {
    wizard_ = std::make_unique<Wizard>(Environment(), ui_);
    wizard_->FormPaint();
    return *wizard_;
  }

  void WriteSettings(const std::string& lines) { WriteText(settings_, "[Settings]\n" + lines); }

  std::string root_, exe_dir_, album_dir_, settings_;
  std::string command_line_;
  std::string first_image_directory_;
  std::string start_directory_;
  std::function<void()> generate_;
  ScriptedUi ui_;
  std::unique_ptr<Wizard> wizard_;
};

}  // namespace fotoloom::testing
