// Runs the built fotoloom-cli (or another program of the build, the window among them) as a
// child process: with its standard streams on pipes, the way a script or a terminal-less CI run
// starts it (standard input is /dev/null), or on a pseudo-terminal, the way a user starts it.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace fotoloom::testing {

struct CliResult {
  int exit_code = -1;  // -1 when the child was ended by a signal
  int signal = 0;      // the ending signal, 0 when it exited
  std::string out;
  std::string err;
};

inline std::string CliPath() { return std::string(FOTOLOOM_BIN_DIR) + "/fotoloom-cli"; }

// In a child process: becomes program with args (exit 127 when it cannot be started).
[[noreturn]] inline void ExecProgram(const std::string& program,
                                     const std::vector<std::string>& args) {
  std::vector<std::string> text{program};
  text.insert(text.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : text) argv.push_back(a.data());
  argv.push_back(nullptr);
  execv(argv[0], argv.data());
  _exit(127);
}

[[noreturn]] inline void ExecCli(const std::vector<std::string>& args) {
  ExecProgram(CliPath(), args);
}

// Starts program with args in working_directory. on_err_line, when set, sees every complete
// line of standard error as it arrives, with the child's pid, so a test can react to the
// progress (send Ctrl-C). in_child runs in the child just before the program starts.
inline CliResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                            const std::string& working_directory = "",
                            const std::function<void(const std::string&, pid_t)>& on_err_line = {},
                            const std::function<void()>& in_child = {}) {
  int out_pipe[2], err_pipe[2];
  if (pipe(out_pipe) != 0 || pipe(err_pipe) != 0) throw std::runtime_error("pipe failed");

  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    int null_in = open("/dev/null", O_RDONLY);
    dup2(null_in, STDIN_FILENO);
    dup2(out_pipe[1], STDOUT_FILENO);
    dup2(err_pipe[1], STDERR_FILENO);
    close(out_pipe[0]);
    close(err_pipe[0]);
    signal(SIGINT, SIG_DFL);
    if (!working_directory.empty() && chdir(working_directory.c_str()) != 0) _exit(126);
    if (in_child) in_child();
    ExecProgram(program, args);
  }
  close(out_pipe[1]);
  close(err_pipe[1]);

  CliResult result;
  std::string pending;  // the unfinished last line of standard error
  pollfd fds[2] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}};
  int open_pipes = 2;
  while (open_pipes > 0) {
    if (poll(fds, 2, -1) < 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[4096];
      const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n <= 0) {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open_pipes;
        continue;
      }
      if (i == 0) {
        result.out.append(buffer, static_cast<size_t>(n));
        continue;
      }
      result.err.append(buffer, static_cast<size_t>(n));
      pending.append(buffer, static_cast<size_t>(n));
      for (size_t end; (end = pending.find('\n')) != std::string::npos;) {
        const std::string line = pending.substr(0, end);
        pending.erase(0, end + 1);
        if (on_err_line) on_err_line(line, pid);
      }
    }
  }
  int status = 0;
  waitpid(pid, &status, 0);
  if (WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  return result;
}

inline CliResult RunCli(const std::vector<std::string>& args,
                        const std::string& working_directory = "",
                        const std::function<void(const std::string&, pid_t)>& on_err_line = {}) {
  return RunProgram(CliPath(), args, working_directory, on_err_line);
}

// Runs the program on a pseudo-terminal, as a user at a terminal would: standard input,
// output and error are all the terminal. answer is typed once the program prompts "[y/N] ".
// The output is everything the terminal showed.
inline CliResult RunCliOnTerminal(const std::vector<std::string>& args, const std::string& answer) {
  int master = -1;
  winsize size{};
  size.ws_col = 100;
  size.ws_row = 24;
  const pid_t pid = forkpty(&master, nullptr, nullptr, &size);
  if (pid < 0) throw std::runtime_error("forkpty failed");
  if (pid == 0) ExecCli(args);
  CliResult result;
  bool answered = false;
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(master, buffer, sizeof buffer);
    if (n <= 0) break;  // EIO once the program has ended and closed the terminal
    result.out.append(buffer, static_cast<size_t>(n));
    if (!answered && result.out.find("[y/N] ") != std::string::npos) {
      answered = true;
      const std::string typed = answer + "\n";
      if (write(master, typed.data(), typed.size()) != static_cast<ssize_t>(typed.size())) break;
    }
  }
  close(master);
  int status = 0;
  waitpid(pid, &status, 0);
  if (WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  return result;
}

}  // namespace fotoloom::testing
