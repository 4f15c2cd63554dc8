// process.cc: fork, exec and pipes for the end-to-end tests.
#include "process.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

ProcessResult run_process(const std::vector<std::string>& argv, const ProcessOptions& options) {
  ProcessResult result;
  int in_pipe[2], out_pipe[2], err_pipe[2];
  if (pipe(in_pipe) != 0 || pipe(out_pipe) != 0 || pipe(err_pipe) != 0) return result;
  pid_t pid = fork();
  if (pid == 0) {
    dup2(in_pipe[0], 0);
    dup2(out_pipe[1], 1);
    dup2(err_pipe[1], 2);
    for (int fd : {in_pipe[0], in_pipe[1], out_pipe[0], out_pipe[1], err_pipe[0], err_pipe[1]}) close(fd);
    if (!options.dir.empty() && chdir(options.dir.c_str()) != 0) _exit(127);
    signal(SIGINT, options.ignore_sigint ? SIG_IGN : SIG_DFL);
    signal(SIGPIPE, SIG_DFL);
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  close(in_pipe[0]);
  close(out_pipe[1]);
  close(err_pipe[1]);
  signal(SIGPIPE, SIG_IGN);

  // The input is written whole up front; the tests' answers are far below
  // a pipe's capacity.
  const char* data = options.input.data();
  std::size_t left = options.input.size();
  while (left > 0) {
    ssize_t put = write(in_pipe[1], data, left);
    if (put <= 0) break;
    data += put;
    left -= static_cast<std::size_t>(put);
  }
  int stdin_fd = in_pipe[1];
  if (!options.keep_stdin_open) {
    close(stdin_fd);
    stdin_fd = -1;
  }

  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(options.timeout_seconds);
  bool acted = options.trigger.empty() && !options.action;
  bool out_open = true, err_open = true;
  bool reaped = false;
  int wait_status = 0, stops = 0;
  while (out_open || err_open) {
    if (options.on_stop && !reaped) {
      int state = 0;
      const pid_t changed = waitpid(pid, &state, WNOHANG | WUNTRACED);
      if (changed == pid && WIFSTOPPED(state)) {
        options.on_stop(pid, ++stops);
        kill(pid, SIGCONT);
      } else if (changed == pid) {
        reaped = true;
        wait_status = state;
      }
    }
    if (!acted && (result.out.find(options.trigger) != std::string::npos ||
                   result.err.find(options.trigger) != std::string::npos)) {
      acted = true;
      if (options.action) options.action(pid);
    }
    pollfd fds[2] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}};
    if (!out_open) fds[0].fd = -1;
    if (!err_open) fds[1].fd = -1;
    int ready = poll(fds, 2, options.on_stop ? 10 : 100);
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      break;
    }
    if (ready <= 0) continue;
    char buffer[4096];
    if (fds[0].revents) {
      ssize_t got = read(out_pipe[0], buffer, sizeof buffer);
      if (got > 0) result.out.append(buffer, static_cast<std::size_t>(got));
      else out_open = false;
    }
    if (fds[1].revents) {
      ssize_t got = read(err_pipe[0], buffer, sizeof buffer);
      if (got > 0) result.err.append(buffer, static_cast<std::size_t>(got));
      else err_open = false;
    }
  }
  if (stdin_fd >= 0) close(stdin_fd);
  close(out_pipe[0]);
  close(err_pipe[0]);
  if (!reaped) waitpid(pid, &wait_status, 0);
  if (WIFEXITED(wait_status)) {
    result.exited = true;
    result.status = WEXITSTATUS(wait_status);
  } else if (WIFSIGNALED(wait_status)) {
    result.signal = WTERMSIG(wait_status);
  }
  return result;
}

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/seedacc-test-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (mkdtemp(name.data()) != nullptr) path_ = name.data();
  chmod(path_.c_str(), 0777);  // tests may run the program as another user
}

TempDir::~TempDir() {
  if (path_.empty()) return;
  std::string command = "chattr -R -i '" + path_ + "' 2>/dev/null; rm -rf '" + path_ + "'";
  if (std::system(command.c_str()) != 0) {
    // nothing more to do: a leftover folder in /tmp is harmless
  }
}

std::string read_file(const std::string& path, bool* exists) {
  std::ifstream in(path, std::ios::binary);
  if (exists) *exists = static_cast<bool>(in);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void write_file(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary);
  out << content;
}

bool file_exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

}  // namespace testsupport
