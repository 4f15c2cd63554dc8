// Endings under faults, as a hostile environment brings them to a real
// process: signals at chosen moments, a file that cannot grow, standard
// descriptors closed or without a reader. One runner, one row per case.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
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
  reader_goes,  // a named pipe the program may only write (run as nobody
                // when root): once it is full, what it holds is read and the
                // reader closes
  size_limit,   // the child's file-size limit is `at` bytes
  small_disk,   // folder "disk" is a tmpfs of `at` bytes
  stdout_gone,  // standard output is a pipe whose reader has gone
  paused,       // the test build, at its pause point number `at` (1: its
                // handlers just installed; then each wait for input, its
                // stop signals held back): standard input closed, the
                // signals, SIGCONT
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
    {"", Way::paused, 2, {SIGINT, 0}, "", "Interrupt\n", 1, "out.csv", Check::absent,
     "an interrupt that comes as the input ends at the seed prompt is acted on before the end of input"},
    {"7\n0\n", Way::paused, 3, {SIGTERM, 0}, "", "Killed\n", 1, "out.csv", Check::absent,
     "a termination request that comes as the input ends at the name prompt is acted on first"},
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
    {"7\n0\nout.csv\n", Way::paused, 1, {SIGABRT, 0}, "", "IOT Trap\n", -SIGABRT, "out.csv", Check::absent,
     "an abort signal the moment the handlers are in place gives its message, never a crash"},
    {"7\n0\nout.csv\n", Way::unread, 0, {SIGINT, SIGINT}, "", "Interrupt\n", 1, "out.csv", Check::prefix,
     "a second interrupt while the exit sequence waits for a pipe nobody reads ends the run"},
    {"7\n0\nout.csv\n", Way::unread, 0, {SIGTERM, SIGINT}, "", "Killed\n", 1, "out.csv", Check::prefix,
     "any second stop request ends the waiting exit sequence, with no second message"},
    {"7\n0\nout.csv\n", Way::stall, 70115, {SIGTERM, 0}, "2", "", 1, "out.csv", Check::prefix,
     "with standard error closed, the message may not land in the file among the records"},
    {"", Way::plain, 0, {0, 0}, "0", "list in: Bad file descriptor\n" + kReadState, -SIGABRT, "out.csv",
     Check::absent, "a closed standard input still fails to read as before, though a descriptor fills its place"},
    {"7\n0\nout.csv\n", Way::reader_goes, 0, {0, 0}, "", "write: Broken pipe\n" + write_state("out.csv"),
     -SIGABRT, "out.csv", Check::prefix, "a file whose reader has gone is a write failure, reported"},
    {"7\n0\nout.csv\n", Way::stdout_gone, 0, {0, 0}, "", "", 0, "out.csv", Check::complete,
     "prompts to a pipe without a reader fail unseen and the run goes on"},
};

// ---- the runner ----------------------------------------------------------

using Clock = std::chrono::steady_clock;
const auto kLongest = std::chrono::seconds(20);  // no row waits longer

bool before(Clock::time_point deadline) { return Clock::now() < deadline; }
void nap() { std::this_thread::sleep_for(std::chrono::milliseconds(5)); }

// The normal run's file, made once by the program itself; the output tests
// hold its content against fixed checksums.
const std::string& reference() {
  static const std::string content = [] {
    TempDir dir;
    std::string command = "cd '" + dir.path() + "' && printf '7\\n0\\nref.csv\\n' | " SEEDACC_PATH " >/dev/null";
    return std::system(command.c_str()) == 0 ? testsupport::read_file(dir.file("ref.csv")) : std::string();
  }();
  return content;
}

// The header and whole 22-byte records of the reference, in order.
bool whole_record_prefix(const std::string& text) {
  std::size_t header = reference().find('\n') + 1;
  return text.size() >= header && reference().compare(0, text.size(), text) == 0 &&
         (text.size() - header) % 22 == 0;
}

// Starts the program as the row asks; returns its id and the write end of
// its standard input (already closed unless the row closes it itself).
pid_t start(const Row& row, const std::string& dir, const std::string& console, int* stdin_fd) {
  int in_pipe[2], gone_pipe[2];
  if (pipe(in_pipe) != 0 || pipe(gone_pipe) != 0) return -1;
  close(gone_pipe[0]);
  pid_t pid = fork();
  if (pid == 0) {
    dup2(in_pipe[0], 0);
    int out = open((console + "/out").c_str(), O_WRONLY | O_CREAT, 0644);
    dup2(row.way == Way::stdout_gone ? gone_pipe[1] : out, 1);
    dup2(open((console + "/err").c_str(), O_WRONLY | O_CREAT, 0644), 2);
    for (int fd = 3; fd < 64; ++fd) close(fd);
    for (const char* c = row.closed; *c != '\0'; ++c) close(*c - '0');
    rlimit limit{static_cast<rlim_t>(row.at), static_cast<rlim_t>(row.at)};
    if (row.way == Way::size_limit) setrlimit(RLIMIT_FSIZE, &limit);
    if (row.way == Way::reader_goes && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(125);
    signal(SIGPIPE, SIG_DFL);
    signal(SIGINT, SIG_DFL);
    // Run as nobody, the program is a copy in the open console folder, in
    // case the build folder is closed to others.
    std::string program = row.way == Way::paused        ? SEEDACC_PAUSED_PATH
                          : row.way == Way::reader_goes ? console + "/seedacc"
                                                        : SEEDACC_PATH;
    if (chdir(dir.c_str()) == 0) execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(in_pipe[0]);
  close(gone_pipe[1]);
  *stdin_fd = in_pipe[1];
  if (write(*stdin_fd, row.answers, strlen(row.answers)) < 0 || row.way != Way::paused) {
    close(*stdin_fd);
  }
  return pid;
}

// Reads the non-blocking `fd` until it has given `count` bytes (0: until
// every writer has closed it), or, `till_empty`, until it holds nothing.
void take(int fd, std::size_t count, bool till_empty, std::string* into, Clock::time_point deadline) {
  char buffer[65536];
  for (std::size_t got_all = 0; before(deadline) && (count == 0 || got_all < count);) {
    ssize_t got = read(fd, buffer, count == 0 ? sizeof buffer : std::min(count - got_all, sizeof buffer));
    if (got > 0) into->append(buffer, static_cast<std::size_t>(got)), got_all += static_cast<std::size_t>(got);
    if ((got == 0 && count == 0) || (got < 0 && till_empty)) return;
    if (got <= 0) nap();
  }
}

// Waits until the program sleeps (it waits for its input or for room in a
// pipe) and the pipe at `fd`, if any, holds at least `least` bytes, the
// same over ten looks in a row: it has stopped where the row wants it.
void wait_asleep(pid_t pid, int fd, int least, Clock::time_point deadline) {
  std::string stat_path = "/proc/" + std::to_string(pid) + "/stat";
  for (int same = 0, last = -1, held = 0; before(deadline) && same < 10; last = held, nap()) {
    std::string stat = testsupport::read_file(stat_path);
    if (fd >= 0) ioctl(fd, FIONREAD, &held);
    bool asleep = stat.find(") S ") != std::string::npos;
    same = asleep && held >= least && held == last ? same + 1 : 0;
  }
}

// Waits for the next stop of the paused build, or for its end (in *status).
bool next_stop(pid_t pid, int* status, Clock::time_point deadline) {
  int got = 0;
  while ((got = waitpid(pid, status, WUNTRACED | WNOHANG)) == 0 && before(deadline)) nap();
  return got == pid && WIFSTOPPED(*status);
}

// The ending as a row states it: exit status, or minus the signal; `status`
// holds it already when next_stop met the end.
int wait_ending(pid_t pid, int status, Clock::time_point deadline) {
  for (; waitpid(pid, &status, WNOHANG) == 0; nap()) {
    if (!before(deadline)) kill(pid, SIGKILL);
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

void run_row(const Row& row) {
  SCOPED_TRACE(row.reason);
  TempDir dir, console;
  std::string path = dir.file(row.file), err = console.file("err"), drained;
  if (row.way == Way::small_disk) {
    std::string disk = dir.file("disk"), size = "size=" + std::to_string(row.at);
    mkdir(disk.c_str(), 0777);
    if (mount("tmpfs", disk.c_str(), "tmpfs", 0, size.c_str()) != 0) {
      return (void)std::printf("skipped, a small tmpfs needs root (%s): %s\n", strerror(errno), row.reason);
    }
  }
  if (row.way == Way::size_limit) testsupport::write_file(path, std::string(2 * row.at, 'x'));
  bool named_pipe = row.way == Way::stall || row.way == Way::unread || row.way == Way::reader_goes;
  int reader = -1, capacity = 0, stdin_fd = -1;
  if (row.way == Way::reader_goes) std::filesystem::copy_file(SEEDACC_PATH, console.file("seedacc"));
  if (named_pipe) {
    ASSERT_EQ(mkfifo(path.c_str(), row.way == Way::reader_goes ? 0222 : 0666), 0);
    chmod(path.c_str(), row.way == Way::reader_goes ? 0222 : 0666);  // whatever the umask
    reader = open(path.c_str(), O_RDONLY | O_NONBLOCK);
    capacity = fcntl(reader, F_SETPIPE_SZ, 65536) < 0 ? 0 : fcntl(reader, F_GETPIPE_SZ);
    ASSERT_GT(capacity, 0);
  }
  auto deadline = Clock::now() + kLongest;
  pid_t pid = start(row, dir.path(), console.path(), &stdin_fd);
  ASSERT_GT(pid, 0);
  long stop_at = row.at > 0 ? row.at : static_cast<long>(reference().size()) + row.at;
  if (row.way == Way::stall) take(reader, static_cast<std::size_t>(stop_at - capacity), false, &drained, deadline);
  // A pipe is full for the program once it lacks room for one atomic write.
  if (named_pipe) wait_asleep(pid, reader, capacity - 8192, deadline);
  if (row.way == Way::reader_goes) take(reader, 0, true, &drained, deadline), close(reader), reader = -1;
  int status = 0;
  for (long stop = 1; row.way == Way::paused && next_stop(pid, &status, deadline); ++stop) {
    if (stop == row.at) break;
    kill(pid, SIGCONT);
  }
  if (row.way == Way::paused) close(stdin_fd);
  for (int index = 0; index < 2 && row.signals[index] != 0; ++index) {
    while (index > 0 && before(deadline) && testsupport::read_file(err).empty()) nap();
    kill(pid, row.signals[index]);
  }
  if (row.way == Way::paused) kill(pid, SIGCONT);
  if (row.way == Way::stall) take(reader, 0, false, &drained, deadline);
  int ending = wait_ending(pid, status, deadline);
  if (row.way == Way::unread) take(reader, 0, false, &drained, deadline);
  if (reader >= 0) close(reader);
  bool exists = named_pipe;
  std::string content = named_pipe ? drained : testsupport::read_file(path, &exists);
  if (row.way == Way::small_disk) umount(dir.file("disk").c_str());

  EXPECT_EQ(testsupport::read_file(err), row.err);
  EXPECT_EQ(ending, row.ending);
  EXPECT_EQ(exists, row.check != Check::absent);
  bool as_checked = row.check == Check::complete ? content == reference() : whole_record_prefix(content);
  EXPECT_TRUE(row.check == Check::absent || as_checked) << content.size() << " bytes";
}

TEST(Faults, EveryRowEndsAsDecided) {
  ASSERT_FALSE(reference().empty());
  for (const Row& row : kRows) run_row(row);
}

}  // namespace
