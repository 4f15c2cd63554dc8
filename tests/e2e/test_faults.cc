// Endings under faults, as a hostile environment brings them to a real
// process: signals at chosen moments, a file that cannot grow, standard
// descriptors closed or without a reader. One runner, one row per case.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <string>
#include <thread>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "process.h"

namespace {

using testsupport::TempDir;

// How the row's moment is reached.
enum class Way {
  plain,        // answers piped in, the pipe closed after them
  stall,        // the file is a named pipe that the test reads until the
                // program's writes stop `at` bytes into the file (counted
                // back from the end of the complete file when negative),
                // then the signals, then it drains the pipe
  unread,       // a named pipe nobody reads: the signals once it is full;
                // what it holds is read after the end
  input_ends,   // once the program waits for an answer, standard input is
                // closed and the signal sent at once
  size_limit,   // the child's file-size limit is `at` bytes
  small_disk,   // folder "disk" is a tmpfs of `at` bytes
  stdout_gone,  // standard output is a pipe whose reader has gone
  start_up,     // the test build stops itself as soon as its handlers are
                // installed; the signal then
};

// What the output file (or what was drained from the named pipe) holds.
enum class Check {
  absent,    // no such file
  complete,  // exactly the file of a normal run
  prefix,    // the header and whole records of it, in order, nothing else
};

struct Row {
  const char* answers;  // standard input
  Way way;
  long at;              // the way's figure
  int signals[2];       // sent in order at the moment (0: none); the second
                        // once standard error shows the first was acted on
  const char* closed;   // standard descriptors the child starts without
  std::string err;      // exact standard error
  int ending;           // exit status, or minus the signal that ended it
  const char* file;     // the output file's path in the folder
  Check check;
  const char* reason;
};

// The lines after the first of a report on a failed record write.
std::string write_state(const std::string& name) {
  return "apparent state: unit 9 named " + name + "\n" +
         "last format: (F8.2,\x02,\x02,E12.4)\n"
         "lately writing sequential formatted external IO\n";
}
const std::string kReadState =
    "apparent state: unit 5 (unnamed)\n"
    "last format: list io\n"
    "lately reading sequential formatted external IO\n";

// 70115 lies in the second write of a run's records, past the first
// 65519-byte one by more than a pipe's atomic write of 4096 bytes; -1000
// lies in the last one, which CLOSE makes.
const Row kRows[] = {
    {"7\n0\nout.csv\n", Way::plain, 0, {0, 0}, "", "", 0, "out.csv", Check::complete,
     "a normal run: the reference every other row is held against"},
    {"", Way::input_ends, 0, {SIGINT, 0}, "", "Interrupt\n", 1, "out.csv", Check::absent,
     "an interrupt as the input ends at the seed prompt is acted on before the end of input"},
    {"7\n0\n", Way::input_ends, 0, {SIGTERM, 0}, "", "Killed\n", 1, "out.csv", Check::absent,
     "a termination request as the input ends at the name prompt is acted on first"},
    {"7\n0\nout.csv\n", Way::size_limit, 100000, {0, 0}, "", "write: File too large\n" + write_state("out.csv"),
     -SIGABRT, "out.csv", Check::prefix,
     "a file-size limit is a write failure; the older, longer file is cut after the last whole record"},
    {"7\n0\n'disk/out.csv'\n", Way::small_disk, 102400, {0, 0}, "",
     "write: No space left on device\n" + write_state("disk/out.csv"), -SIGABRT, "disk/out.csv", Check::prefix,
     "a full disk cuts the file after the last whole record, not inside the partly written one"},
    {"7\n0\nout.csv\n", Way::stall, -1000, {SIGINT, 0}, "", "Interrupt\n", 1, "out.csv", Check::complete,
     "an interrupt during CLOSE's last write: the unit stays connected until every record is out"},
    {"7\n0\nout.csv\n", Way::stall, -1000, {SIGABRT, 0}, "", "IOT Trap\n", -SIGABRT, "out.csv", Check::complete,
     "an abort signal during CLOSE's last write: the handler still writes every record"},
    {"7\n0\nout.csv\n", Way::stall, 70115, {SIGFPE, 0}, "", "Floating Exception\n", -SIGABRT, "out.csv",
     Check::prefix, "a signal during a blocked partial write: the handler goes on from where it stopped"},
    {"7\n0\nout.csv\n", Way::start_up, 0, {SIGABRT, 0}, "", "IOT Trap\n", -SIGABRT, "out.csv", Check::absent,
     "an abort signal the moment the handlers are in place gives its message, never a crash"},
    {"7\n0\nout.csv\n", Way::unread, 0, {SIGINT, SIGINT}, "", "Interrupt\n", 1, "out.csv", Check::prefix,
     "a second interrupt while the exit sequence waits for a pipe nobody reads ends the run"},
    {"7\n0\nout.csv\n", Way::unread, 0, {SIGTERM, SIGINT}, "", "Killed\n", 1, "out.csv", Check::prefix,
     "any second stop request ends the waiting exit sequence, with no second message"},
    {"7\n0\nout.csv\n", Way::stall, 70115, {SIGTERM, 0}, "2", "", 1, "out.csv", Check::prefix,
     "with standard error closed, the message may not land in the file among the records"},
    {"", Way::plain, 0, {0, 0}, "0", "list in: Bad file descriptor\n" + kReadState, -SIGABRT, "out.csv",
     Check::absent, "a closed standard input still fails to read as before, though a descriptor fills its place"},
    {"7\n0\nout.csv\n", Way::stdout_gone, 0, {0, 0}, "", "", 0, "out.csv", Check::complete,
     "prompts to a pipe without a reader fail unseen and the run goes on"},
};

// ---- the runner ----------------------------------------------------------

constexpr int kSeconds = 20;  // no step of a row waits longer than this

struct Ending {
  bool exited = false;
  int code = 0;  // exit status or signal
};

using Clock = std::chrono::steady_clock;

bool before(Clock::time_point deadline) { return Clock::now() < deadline; }
void nap() { std::this_thread::sleep_for(std::chrono::milliseconds(5)); }

// The normal run's file, made once by the program itself; its content is
// held against fixed checksums by the output tests.
const std::string& reference() {
  static const std::string content = [] {
    TempDir dir;
    std::string command = "cd '" + dir.path() + "' && printf '7\\n0\\nref.csv\\n' | " SEEDACC_PATH " >/dev/null";
    return std::system(command.c_str()) == 0 ? testsupport::read_file(dir.file("ref.csv")) : std::string();
  }();
  return content;
}

// True when `text` is the header and whole records of the reference, in order.
bool whole_record_prefix(const std::string& text) {
  const std::string& full = reference();
  std::size_t header = full.find('\n') + 1;
  return text.size() >= header && text.size() <= full.size() && full.compare(0, text.size(), text) == 0 &&
         (text.size() - header) % 22 == 0;
}

struct Child {
  pid_t pid = -1;
  int stdin_fd = -1;
};

Child start(const Row& row, const std::string& dir, const std::string& out, const std::string& err) {
  int in_pipe[2], gone_pipe[2];
  if (pipe(in_pipe) != 0 || pipe(gone_pipe) != 0) return {};
  close(gone_pipe[0]);
  Child child;
  child.pid = fork();
  if (child.pid == 0) {
    dup2(in_pipe[0], 0);
    if (row.way == Way::stdout_gone) {
      dup2(gone_pipe[1], 1);
    } else {
      dup2(open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
    }
    dup2(open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
    for (int fd = 3; fd < 64; ++fd) close(fd);
    for (const char* c = row.closed; *c != '\0'; ++c) close(*c - '0');
    if (row.way == Way::size_limit) {
      rlimit limit{static_cast<rlim_t>(row.at), static_cast<rlim_t>(row.at)};
      setrlimit(RLIMIT_FSIZE, &limit);
    }
    signal(SIGPIPE, SIG_DFL);
    signal(SIGINT, SIG_DFL);
    if (chdir(dir.c_str()) != 0) _exit(126);
    const char* program = row.way == Way::start_up ? SEEDACC_PAUSED_PATH : SEEDACC_PATH;
    execl(program, program, static_cast<char*>(nullptr));
    _exit(127);
  }
  close(in_pipe[0]);
  close(gone_pipe[1]);
  child.stdin_fd = in_pipe[1];
  if (write(child.stdin_fd, row.answers, strlen(row.answers)) < 0) {
    // a child that is already gone: its ending says why
  }
  if (row.way != Way::input_ends) {
    close(child.stdin_fd);
    child.stdin_fd = -1;
  }
  return child;
}

// Reads from the non-blocking `fd` until `count` bytes came or the deadline.
void read_bytes(int fd, std::size_t count, std::string* into, Clock::time_point deadline) {
  char buffer[65536];
  while (count > 0 && before(deadline)) {
    ssize_t got = read(fd, buffer, std::min(count, sizeof buffer));
    if (got > 0) {
      into->append(buffer, static_cast<std::size_t>(got));
      count -= static_cast<std::size_t>(got);
    } else {
      nap();
    }
  }
}

// Reads the non-blocking `fd` until every writer has closed it.
void drain(int fd, std::string* into, Clock::time_point deadline) {
  char buffer[65536];
  while (before(deadline)) {
    ssize_t got = read(fd, buffer, sizeof buffer);
    if (got == 0) return;
    if (got > 0) into->append(buffer, static_cast<std::size_t>(got));
    else nap();
  }
}

// Waits until the program sleeps (it waits for its input or for room in
// a pipe) and the pipe at `fd`, if any, holds at least `least` bytes, the
// same over ten looks in a row: it has stopped where the row wants it.
void wait_asleep(pid_t pid, int fd, int least, Clock::time_point deadline) {
  std::string stat_path = "/proc/" + std::to_string(pid) + "/stat";
  int same = 0, last = -1;
  while (before(deadline) && same < 10) {
    std::string stat = testsupport::read_file(stat_path);
    std::size_t end_of_name = stat.rfind(')');
    int held = 0;
    if (fd >= 0) ioctl(fd, FIONREAD, &held);
    bool asleep = end_of_name != std::string::npos && stat.compare(end_of_name, 4, ") S ") == 0;
    same = asleep && held >= least && held == last ? same + 1 : 0;
    last = held;
    nap();
  }
}

Ending wait_ending(pid_t pid, Clock::time_point deadline) {
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (!before(deadline)) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return {false, SIGKILL};
    }
    nap();
  }
  return WIFEXITED(status) ? Ending{true, WEXITSTATUS(status)} : Ending{false, WTERMSIG(status)};
}

void send_signals(const Row& row, pid_t pid, const std::string& err, Clock::time_point deadline) {
  for (int index = 0; index < 2 && row.signals[index] != 0; ++index) {
    while (index > 0 && before(deadline) && testsupport::read_file(err).empty()) nap();
    kill(pid, row.signals[index]);
  }
}

void run_row(const Row& row) {
  SCOPED_TRACE(row.reason);
  TempDir dir, console;
  std::string folder = dir.path();
  if (row.way == Way::small_disk) {
    if (geteuid() != 0) {
      std::printf("skipped, a small tmpfs needs root: %s\n", row.reason);
      return;
    }
    folder = dir.file("disk");
    mkdir(folder.c_str(), 0777);
    std::string size = "size=" + std::to_string(row.at);
    ASSERT_EQ(mount("tmpfs", folder.c_str(), "tmpfs", 0, size.c_str()), 0) << strerror(errno);
  }
  std::string path = dir.file(row.file);
  bool named_pipe = row.way == Way::stall || row.way == Way::unread;
  int reader = -1, capacity = 0;
  if (named_pipe) {
    ASSERT_EQ(mkfifo(path.c_str(), 0666), 0);
    reader = open(path.c_str(), O_RDONLY | O_NONBLOCK);
    capacity = fcntl(reader, F_SETPIPE_SZ, 65536) < 0 ? 0 : fcntl(reader, F_GETPIPE_SZ);
    ASSERT_GT(capacity, 0);
  }
  if (row.way == Way::size_limit) testsupport::write_file(path, std::string(2 * row.at, 'x'));
  auto deadline = Clock::now() + std::chrono::seconds(kSeconds);
  std::string out = console.file("out"), err = console.file("err"), drained;
  Child child = start(row, dir.path(), out, err);
  ASSERT_GT(child.pid, 0);
  if (row.way == Way::stall) {
    long stop_at = row.at > 0 ? row.at : static_cast<long>(reference().size()) + row.at;
    read_bytes(reader, static_cast<std::size_t>(stop_at - capacity), &drained, deadline);
  }
  // A pipe is full for the program once it lacks room for one atomic write.
  if (named_pipe) wait_asleep(child.pid, reader, capacity - 8192, deadline);
  if (row.way == Way::input_ends) {
    wait_asleep(child.pid, -1, 0, deadline);
    close(child.stdin_fd);
  }
  if (row.way == Way::start_up) {
    int status = 0;
    waitpid(child.pid, &status, WUNTRACED);
  }
  send_signals(row, child.pid, err, deadline);
  if (row.way == Way::start_up) kill(child.pid, SIGCONT);
  if (row.way == Way::stall) drain(reader, &drained, deadline);
  Ending ending = wait_ending(child.pid, deadline);
  if (row.way == Way::unread) drain(reader, &drained, deadline);
  if (reader >= 0) close(reader);

  EXPECT_EQ(testsupport::read_file(err), row.err);
  if (row.ending >= 0) {
    EXPECT_TRUE(ending.exited && ending.code == row.ending) << "ended by signal " << ending.code;
  } else {
    EXPECT_TRUE(!ending.exited && ending.code == -row.ending) << "exit status " << ending.code;
  }
  bool exists = false;
  std::string content = named_pipe ? drained : testsupport::read_file(path, &exists);
  exists = exists || named_pipe;
  switch (row.check) {
    case Check::absent: EXPECT_FALSE(exists); break;
    case Check::complete: EXPECT_TRUE(content == reference()) << content.size() << " bytes"; break;
    case Check::prefix: EXPECT_TRUE(whole_record_prefix(content)) << content.size() << " bytes"; break;
  }
  if (row.way == Way::small_disk) umount(folder.c_str());
}

TEST(Faults, EveryRowEndsAsDecided) {
  ASSERT_FALSE(reference().empty());
  for (const Row& row : kRows) run_row(row);
}

}  // namespace
