#include "options.h"

#include <charconv>

#include "platform/text.h"

namespace fotoloom::cli {
namespace {

// A thread count: decimal digits only, at least 1; 0 when text is anything else.
int ParseJobs(const std::string& text) {
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  return !text.empty() && text[0] != '-' && error == std::errc() && stop == end && value >= 1
             ? value
             : 0;
}

}  // namespace

ParseResult ParseArguments(const std::vector<std::string>& args) {
  ParseResult result;
  Options& o = result.options;
  std::vector<std::string> positional;
  bool yes = false, no = false, options_ended = false;

  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (options_ended || a.empty() || a[0] != '-' || a == "-") {
      positional.push_back(a);
    } else if (a == "--") {
      options_ended = true;
    } else if (a == "--help" || a == "-h") {
      o.help = true;
    } else if (a == "--version") {
      o.version = true;
    } else if (a == "--yes" || a == "-y") {
      yes = true;
    } else if (a == "--no" || a == "-n") {
      no = true;
    } else if (a == "--quiet" || a == "-q") {
      o.quiet = true;
    } else if (a == "--no-cache") {
      o.no_cache = true;
    } else if (a == "--settings") {
      if (i + 1 >= args.size() || args[i + 1].empty()) {
        result.error = "--settings needs a file name";
        return result;
      }
      o.settings_path = args[++i];
    } else if (a.rfind("--settings=", 0) == 0) {
      o.settings_path = a.substr(11);
      if (o.settings_path.empty()) {
        result.error = "--settings needs a file name";
        return result;
      }
    } else if (a == "--jobs" || a == "-j" || a.rfind("--jobs=", 0) == 0) {
      const bool joined = a.size() > 6 && a[6] == '=';
      if (!joined && i + 1 >= args.size()) {
        result.error = a + " needs a number of threads";
        return result;
      }
      const std::string value = joined ? a.substr(7) : args[++i];
      o.jobs = ParseJobs(value);
      if (o.jobs == 0) {
        result.error = "--jobs needs a number from 1 up, not \"" + value + "\"";
        return result;
      }
    } else {
      result.error = "unknown option " + a;
      return result;
    }
  }

  if (o.help || o.version) return result;
  if (yes && no) {
    result.error = "--yes and --no exclude each other";
  } else if (positional.empty()) {
    result.error = "no image directory given";
  } else if (positional.size() > 1) {
    result.error = "only one image directory may be given";
  } else if (positional[0].empty()) {
    result.error = "the image directory is empty";
  } else if (HasControlCharacter(positional[0])) {
    // The directory field has no room for a line break: the catalog would go elsewhere.
    result.error = "the image directory's name holds a control character";
  } else {
    o.directory = positional[0];
    o.answers = yes ? AnswerPolicy::kYes : no ? AnswerPolicy::kNo : AnswerPolicy::kAsk;
  }
  return result;
}

std::string UsageText(const std::string& program) {
  return "Usage: " + program +
         " [--settings FILE] [--yes | --no] [--quiet] [--jobs N] [--no-cache]\n"
         "       DIRECTORY\n"
         "Generates the HTML catalog of the images in DIRECTORY with the wizard's saved\n"
         "settings, without opening a browser and without saving settings.\n"
         "\n"
         "  --settings FILE  read the settings from FILE instead of the wizard's Settings.ini\n"
         "  --yes, -y        answer yes to the questions (overwrite an existing catalog,\n"
         "                   delete old numbered catalog files); nothing is deleted\n"
         "                   before every check of the settings and the run has passed\n"
         "  --no, -n         answer no to them (the default when standard input is not a\n"
         "                   terminal; otherwise they are asked)\n"
         "  --quiet, -q      show no progress\n"
         "  --jobs N, -j N   make thumbnails on at most N threads at once (default: one\n"
         "                   per CPU this process may use; 1: one after the other)\n"
         "  --no-cache       make every thumbnail afresh, without reading or adding to\n"
         "                   the thumbnail cache (FOTOLOOM_CACHE=off does the same)\n"
         "  --help, -h       show this text\n"
         "  --version        show the version\n"
         "\n"
         "Prints the full path of the first index page when the catalog is done.\n"
         "Thumbnails of unchanged pictures are taken from the cache in\n"
         "$XDG_CACHE_HOME/fotoloom/thumbnails (~/.cache/fotoloom/thumbnails); deleting\n"
         "that folder is always safe.\n"
         "Ctrl-C stops after the current row and keeps the partial page; a second Ctrl-C\n"
         "ends the program at once.\n"
         "\n"
         "One run at a time works on a directory; a second one is refused at once.\n"
         "\n"
         "Exit status: 0 done; 1 the run reported warnings or was cancelled; 2 a page\n"
         "check failed, another run is working on DIRECTORY or the arguments are wrong;\n"
         "3 an error ended the run.\n";
}

}  // namespace fotoloom::cli
