// Runs fotoloom-cli under ptrace, stopped at every system call its first thread makes, so that a
// test can end it at an exact step (the k-th deletion in a folder, the first write to a
// temporary file) instead of at a moment that depends on timing. Threads the program starts
// are not traced: runs that matter here are made with --jobs 1.
#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <signal.h>
#include <sys/ptrace.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "cli_process.h"

namespace fotoloom::testing {

// A system call the program is about to make.
struct SystemCall {
  pid_t pid;
  std::uint64_t number;
  std::uint64_t args[6];
};

// The text at address in the traced program's memory (up to its NUL, at most 4096 bytes).
inline std::string TracedText(pid_t pid, std::uint64_t address) {
  const int mem = ::open(("/proc/" + std::to_string(pid) + "/mem").c_str(), O_RDONLY | O_CLOEXEC);
  if (mem < 0) return {};
  char buffer[4096];
  const ssize_t n = ::pread(mem, buffer, sizeof buffer, static_cast<off_t>(address));
  ::close(mem);
  if (n <= 0) return {};
  return std::string(buffer, ::strnlen(buffer, static_cast<std::size_t>(n)));
}

// What the traced program's descriptor fd is open on ("" when it has none).
inline std::string TracedFile(pid_t pid, std::uint64_t fd) {
  char target[4096];
  const std::string link = "/proc/" + std::to_string(pid) + "/fd/" + std::to_string(fd);
  const ssize_t n = ::readlink(link.c_str(), target, sizeof target);
  return n > 0 ? std::string(target, static_cast<std::size_t>(n)) : std::string();
}

// The path the call deletes; "" for any other call.
inline std::string DeletedPath(const SystemCall& call) {
#ifdef SYS_unlink
  if (call.number == SYS_unlink) return TracedText(call.pid, call.args[0]);
#endif
  if (call.number == SYS_unlinkat) return TracedText(call.pid, call.args[1]);
  return {};
}

// Runs fotoloom-cli with args (standard streams on /dev/null), showing at_call every system
// call before it is made. When at_call returns a signal, the program is sent it and traced no
// further: SIGKILL ends it before the call, another signal reaches it right after the call.
// Returns the wait status of the program's end.
inline int RunTraced(const std::vector<std::string>& args,
                     const std::function<int(const SystemCall&)>& at_call) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int null = ::open("/dev/null", O_RDWR);
    for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) ::dup2(null, fd);
    // LeakSanitizer cannot look at a traced process and would fail the run at its end.
    const char* asan = ::getenv("ASAN_OPTIONS");
    ::setenv("ASAN_OPTIONS", (std::string(asan ? asan : "") + ":detect_leaks=0").c_str(), 1);
    ::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
    ExecCli(args);  // stops at the exec
  }
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid || !WIFSTOPPED(status)) return status;
  ::ptrace(PTRACE_SETOPTIONS, pid, nullptr,
           PTRACE_O_TRACESYSGOOD | PTRACE_O_TRACEEXEC | PTRACE_O_EXITKILL);
  int pass_on = 0;  // a signal of the program's own, delivered as it would have been
  bool sent = false;
  for (;;) {
    ::ptrace(PTRACE_SYSCALL, pid, nullptr, pass_on);
    pass_on = 0;
    if (::waitpid(pid, &status, 0) != pid) return -1;
    if (WIFEXITED(status) || WIFSIGNALED(status)) return status;
    if (!WIFSTOPPED(status)) continue;
    if (WSTOPSIG(status) == SIGTRAP) continue;  // the program starting itself again (a sanitizer)
    if (WSTOPSIG(status) != (SIGTRAP | 0x80)) {
      pass_on = WSTOPSIG(status);
      continue;
    }
    __ptrace_syscall_info info{};
    if (sent || ::ptrace(PTRACE_GET_SYSCALL_INFO, pid, sizeof info, &info) <= 0 ||
        info.op != PTRACE_SYSCALL_INFO_ENTRY)
      continue;
    SystemCall call{pid, info.entry.nr, {}};
    for (int i = 0; i < 6; ++i) call.args[i] = info.entry.args[i];
    if (const int signal_number = at_call(call)) {
      ::kill(pid, signal_number);
      sent = true;
    }
  }
}

}  // namespace fotoloom::testing
