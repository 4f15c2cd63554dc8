// process.h: runs a program as a real process for end-to-end tests.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <sys/types.h>

namespace testsupport {

struct ProcessResult {
  std::string out;   // everything written to standard output
  std::string err;   // everything written to standard error
  bool exited = false;
  int status = -1;   // exit status when `exited`
  int signal = 0;    // the terminating signal otherwise
};

struct ProcessOptions {
  std::string dir;             // working folder; empty: the test's own
  std::string input;           // written to standard input
  bool keep_stdin_open = false;  // do not close standard input after `input`
  bool ignore_sigint = false;  // start the child with SIGINT ignored
  // Once standard output or standard error holds `trigger`, `action` runs
  // with the child's process id (to send a signal, drain a pipe ...), once.
  std::string trigger;
  std::function<void(pid_t)> action;
  int timeout_seconds = 30;    // the child is killed after this long
  // Each time the child stops itself (SIGSTOP at a test build's pause
  // point), `on_stop` runs with its id and the stop's number (1, 2, ...);
  // the child is then continued (SIGCONT). Unset: stops are not watched.
  std::function<void(pid_t, int)> on_stop;
};

// Runs argv[0] with arguments argv[1...]; never throws.
ProcessResult run_process(const std::vector<std::string>& argv, const ProcessOptions& options);

// A fresh temporary folder, removed with its contents by the destructor.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// The whole content of a file, or an empty string and `exists` false.
std::string read_file(const std::string& path, bool* exists = nullptr);
void write_file(const std::string& path, const std::string& content);
bool file_exists(const std::string& path);

}  // namespace testsupport
