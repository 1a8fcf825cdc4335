#include "wizard/window/text_shell.h"

#include <cstdio>

namespace fotoloom {
namespace {

void PrintLines(const std::string& text) {
  std::string lines = text;
  for (char& c : lines) {
    if (c == '\r') c = '\n';
  }
  if (lines.empty() || lines.back() != '\n') lines += '\n';
  std::fputs(lines.c_str(), stderr);
  std::fflush(stderr);
}

}  // namespace

void TextShell::ShowWarning(const std::string& text) {
  ++warnings_;
  PrintLines(warning_prefix_ + text);
}

bool TextShell::AskQuestion(const std::string& text) {
  PrintLines("Confirm: " + text);
  PrintLines("Answered no: there is no display to ask on.");
  return false;
}

}  // namespace fotoloom
