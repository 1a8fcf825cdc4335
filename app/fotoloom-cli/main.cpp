// fotoloom-cli: the wizard's unattended start on a terminal. Loads every page from the
// settings file, puts DIRECTORY on page 1, walks to the last page through every page check and
// runs without browser and without saving; see UsageText() for the options and exit codes.
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "generation/album_settings.h"
#include "generation/client_ui.h"
#include "generation/thumbnail_cache.h"
#include "generation/usable_cpus.h"
#include "imaging/buffer_reuse.h"
#include "options.h"
#include "platform/file_io.h"
#include "platform/error.h"
#include "platform/paths.h"
#include "platform/version.h"
#include "terminal_ui.h"
#include "wizard/ini_file.h"
#include "wizard/wizard.h"

namespace fotoloom::cli {
namespace {

enum ExitCode { kDone = 0, kNotCompleted = 1, kRefused = 2, kFailed = 3 };

int TerminalColumns() {
  winsize size{};
  if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return 80;
}

// The general error report's text: a "." is added when the last character sorts after ".".
std::string ErrorReportText(std::string message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') message += '.';
  return message;
}

std::string ProgramName(const char* argv0) {
  std::string name = argv0 ? argv0 : "fotoloom-cli";
  return ExtractFileName(name).empty() ? name : ExtractFileName(name);
}

int Run(const Options& options, const char* argv0) {
  const std::string program = ProgramName(argv0);
  const char* const env_argv[] = {argv0, nullptr};
  WizardEnvironment env = DefaultWizardEnvironment(1, env_argv);
  env.command_line_directory = options.directory;
  if (!options.settings_path.empty()) {
    // A file named on purpose that gives nothing would otherwise mean a run with every
    // default, cleaning included.
    const IniFile settings(options.settings_path);
    const char* problem = !FileExists(options.settings_path)       ? "does not exist"
                          : !settings.loaded()                     ? "cannot be read"
                          : settings.cut()                         ? "is larger than 1 MiB"
                          : !settings.HasSection(kSettingsSection) ? "has no [Settings] section"
                                                                   : nullptr;
    if (problem != nullptr) {
      std::fprintf(stderr, "%s: settings file %s %s\n", program.c_str(),
                   options.settings_path.c_str(), problem);
      return kRefused;
    }
    env.settings_path = options.settings_path;
  }
  if (options.jobs > 0) Album().ThumbnailWorkers = std::min(options.jobs, UsableCpuCount());
  if (!options.no_cache) Album().ThumbnailCache = ThumbnailCacheFolder();
  // The run makes the album directory current; remember where the catalog will be.
  const std::string album_directory = ExpandFileName(options.directory);

  TerminalUi::Streams streams;
  streams.in_is_terminal = isatty(STDIN_FILENO) == 1;
  streams.err_is_terminal = isatty(STDERR_FILENO) == 1;
  streams.columns = streams.err_is_terminal ? TerminalColumns() : 80;
  TerminalUi ui(streams, options.answers, options.quiet);

  Wizard wizard(env, ui);
  ui.Attach(&wizard);
  wizard.FormPaint();  // loads every page, then the command-line start

  if (!ui.run_started()) return kRefused;  // a page check failed; its messages were shown

  const std::string messages = GetMessages();
  // The notes first: they hold whatever the run's outcome.
  for (const std::string& list : {GetNotes(), messages}) {
    for (size_t start = 0; start < list.size();) {
      size_t end = list.find('\r', start);
      if (end == std::string::npos) end = list.size();
      ui.PrintLines("Warning: " + list.substr(start, end - start));
      start = end + 1;
    }
  }
  if (CancelRequested() || !messages.empty()) {
    if (options.quiet) ui.PrintLines(kCancelledStatus);
    return kNotCompleted;
  }
  const std::string& first_page = Album().FirstPage;
  std::filesystem::path full =
      first_page.empty() || first_page[0] == kPathSeparator
          ? std::filesystem::path(first_page)
          : std::filesystem::path(WithTrailingSeparator(album_directory) + first_page);
  std::printf("%s\n", full.lexically_normal().c_str());
  return kDone;
}

}  // namespace
}  // namespace fotoloom::cli

int main(int argc, char** argv) {
  using namespace fotoloom::cli;
  // A reader that went away (`fotoloom-cli DIR | head -1`) is no reason to stop writing the
  // catalog half-way; and a file size limit is a failed write to report, not a silent death.
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
  // Ended from outside, the program leaves no half-written file behind.
  fotoloom::RemoveTemporaryFilesOnTermination();
  // A run decodes one photo after another; keep their memory warm between thumbnails.
  fotoloom::RetainFreedImageMemory();
  const std::string program = ProgramName(argc > 0 ? argv[0] : nullptr);
  ParseResult parsed = ParseArguments(std::vector<std::string>(argv + (argc > 0), argv + argc));
  if (!parsed.error.empty()) {
    std::fprintf(stderr, "%s: %s\n%s", program.c_str(), parsed.error.c_str(),
                 UsageText(program).c_str());
    return kRefused;
  }
  if (parsed.options.help) {
    std::fputs(UsageText(program).c_str(), stdout);
    return kDone;
  }
  if (parsed.options.version) {
    std::printf("%s (%s) %s\n", program.c_str(), fotoloom::kProductName,
                fotoloom::ProductVersion());
    return kDone;
  }
  try {
    return Run(parsed.options, argv[0]);
  } catch (const std::exception& e) {
    std::fflush(stdout);
    std::fprintf(stderr, "Fotoloom: %s\n", ErrorReportText(e.what()).c_str());
    return kFailed;
  }
}
