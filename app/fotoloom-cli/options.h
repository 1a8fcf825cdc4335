// The command line of fotoloom-cli:
//   fotoloom-cli [--settings FILE] [--yes | --no] [--quiet] [--jobs N] [--no-cache] DIRECTORY
//   fotoloom-cli --help | --version
#pragma once

#include <string>
#include <vector>

namespace fotoloom::cli {

// How the wizard's questions (overwrite an existing catalog, delete numbered catalog files)
// are answered.
enum class AnswerPolicy {
  kAsk,  // on the terminal when standard input is one, otherwise "no"
  kYes,
  kNo,
};

struct Options {
  std::string settings_path;  // empty: the settings file the window would use
  AnswerPolicy answers = AnswerPolicy::kAsk;
  bool quiet = false;  // no progress display
  int jobs = 0;        // at most this many thumbnail threads; 0: no cap
  // Every thumbnail made afresh; the thumbnail cache is neither read nor written.
  bool no_cache = false;
  bool help = false;
  bool version = false;
  std::string directory;
};

struct ParseResult {
  Options options;
  std::string error;  // empty when the arguments are usable
};

// args excludes the program name. "--settings=FILE" and "--jobs=N" are accepted as well; N is
// a decimal number from 1 up. "--" ends the
// options, so a directory may start with "-". Exactly one directory is required unless
// --help or --version is given; a directory name with a control character (a line break, a
// tab) is refused.
ParseResult ParseArguments(const std::vector<std::string>& args);

// The usage text printed by --help (program is argv[0]'s file name).
std::string UsageText(const std::string& program);

}  // namespace fotoloom::cli
