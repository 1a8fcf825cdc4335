#include "imaging/reader_warnings.h"

#include <cstdio>
#include <utility>

namespace fotoloom {
namespace {

ReaderWarningHandler& WarningHandler() {
  static ReaderWarningHandler handler;
  return handler;
}

thread_local ReaderWarningCapture* t_capture = nullptr;

}  // namespace

ReaderWarningHandler SetReaderWarningHandler(ReaderWarningHandler handler) {
  ReaderWarningHandler previous = std::move(WarningHandler());
  WarningHandler() = std::move(handler);
  return previous;
}

void ReportReaderWarning(const std::string& message) {
  if (WarningHandler()) {
    WarningHandler()(message);
  } else {
    std::fprintf(stderr, "PNG Error: %s\n", message.c_str());
  }
}

void ReaderWarns(const std::string& message) {
  if (t_capture != nullptr) {
    t_capture->warnings_.push_back(message);
  } else {
    ReportReaderWarning(message);
  }
}

ReaderWarningCapture::ReaderWarningCapture() : outer_(t_capture) { t_capture = this; }

ReaderWarningCapture::~ReaderWarningCapture() { t_capture = outer_; }

std::vector<std::string> ReaderWarningCapture::Take() { return std::exchange(warnings_, {}); }

}  // namespace fotoloom
