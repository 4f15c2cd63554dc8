// seedacc-check's files as a real process meets them: outputs that are
// devices, pipes or links, modes, planted names, signals during the output
// step (the test build: pause points, predictable first names), a pipe as
// input. One runner, one row per case.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <string>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "process.h"

namespace {

namespace fs = std::filesystem;
using testsupport::read_file;
using testsupport::TempDir;
using testsupport::write_file;

// What the work folder holds before the run, besides the record good.csv.
enum class Setup {
  old_outputs,   // table.csv and pic.svg hold "old"
  devices,       // null and full: the character devices 1,3 and 1,7
  fifo,          // pipe.csv, a named pipe the test reads
  fd_link,       // out.link -> /proc/self/fd/1, as /dev/stdout is
  link,          // link.csv -> sub/real.csv, which holds "old"
  modes,         // table.csv 0600 and pic.svg 0444, both "old"
  planted,       // table.csv.tmp-0 a link to victim.txt, pic.svg.tmp-0 a file
  fifo_input,    // in.csv, a named pipe the test writes good.csv to once the
                 // program says it waits for a writer
};

struct Row {
  const char* args;  // after the program's name
  Setup setup;
  int pause;         // the test build, signalled at this stop (0: the program)
  int signal;        // sent there
  int ending;        // exit status, or minus the signal that ended it
  const char* err;   // a text standard error holds ("" : empty)
  const char* reason;
};

// Named in test listings by its reason.
void PrintTo(const Row& row, std::ostream* out) { *out << row.reason; }

const Row kRows[] = {
    {"good.csv --csv null", Setup::devices, 0, 0, 0, "",
     "a device is written in place, as the shell's > would: it stays a device"},
    {"good.csv --csv full --svg pic.svg", Setup::devices, 0, 0, 1,
     "full: cannot write (No space left on device)",
     "a device that refuses the bytes is a write error, and no other output appears"},
    {"good.csv --csv out.link", Setup::fd_link, 0, 0, 0, "",
     "a link to an open descriptor (as /dev/stdout is) writes to it: the table, then the report"},
    {"good.csv --csv pipe.csv", Setup::fifo, 0, 0, 0, "",
     "a named pipe is written in place, to its reader, and stays a pipe"},
    {"good.csv --csv link.csv", Setup::link, 0, 0, 0, "",
     "a link is followed: its file replaced in its own folder, the link kept"},
    {"good.csv --csv table.csv --svg pic.svg", Setup::modes, 0, 0, 0, "",
     "a replaced file keeps its mode"},
    {"good.csv --csv table.csv --svg pic.svg", Setup::planted, -1, 0, 0, "",
     "the predictable first names are taken: a planted link and a file are left alone"},
    {"in.csv", Setup::fifo_input, 0, 0, 0, "seedacc-check: in.csv: waiting for a writer\n",
     "a named pipe as input: the wait for its writer is said, then what it writes is read"},
    {"good.csv --csv table.csv --svg pic.svg", Setup::old_outputs, 1, SIGINT, -SIGINT, "",
     "an interrupt once the temporaries are written: the step is undone, all old, nothing left"},
    {"good.csv --csv table.csv --svg pic.svg", Setup::old_outputs, 2, SIGTERM, -SIGTERM, "",
     "a termination request after the first rename: the step is finished, all new, nothing left"},
    {"good.csv --csv table.csv --svg pic.svg", Setup::old_outputs, 3, SIGHUP, -SIGHUP, "",
     "a hang-up after the last rename: all new, the kept files removed"},
};

std::string record() {
  std::string text = " time(sec),seed-Acc(gal)\n";
  char line[64];
  for (int i = 0; i < 2000; ++i) {
    std::snprintf(line, sizeof line, "%8.2f,%12.4E\n", i * 0.01, 150.0 * std::sin(9.0 * i * 0.01));
    text += line;
  }
  return text;
}

// The table and the picture of good.csv, from a run into a plain folder.
struct Reference {
  std::string table, picture;
};
const Reference& reference() {
  static const Reference made = [] {
    TempDir dir;
    write_file(dir.file("good.csv"), record());
    testsupport::ProcessOptions options;
    options.dir = dir.path();
    testsupport::run_process({SEEDACC_CHECK_PATH, "good.csv", "--csv", "t.csv", "--svg", "p.svg"},
                             options);
    return Reference{read_file(dir.file("t.csv")), read_file(dir.file("p.svg"))};
  }();
  return made;
}

mode_t type_and_mode(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 ? st.st_mode : 0;
}

// Every name in the folder, sorted, joined by blanks.
std::string names(const std::string& folder) {
  std::vector<std::string> all;
  for (const auto& entry : fs::directory_iterator(folder)) all.push_back(entry.path().filename());
  std::sort(all.begin(), all.end());
  std::string text;
  for (const std::string& name : all) text += (text.empty() ? "" : " ") + name;
  return text;
}

void prepare(Setup setup, const TempDir& dir) {
  const auto file = [&](const char* name, const char* text, mode_t mode) {
    write_file(dir.file(name), text);
    chmod(dir.file(name).c_str(), mode);
  };
  switch (setup) {
    case Setup::old_outputs: file("table.csv", "old\n", 0644), file("pic.svg", "old\n", 0644); break;
    case Setup::devices:
      ASSERT_EQ(mknod(dir.file("null").c_str(), S_IFCHR | 0666, makedev(1, 3)), 0) << "needs root";
      ASSERT_EQ(mknod(dir.file("full").c_str(), S_IFCHR | 0666, makedev(1, 7)), 0);
      break;
    case Setup::fifo: ASSERT_EQ(mkfifo(dir.file("pipe.csv").c_str(), 0644), 0); break;
    case Setup::fifo_input: ASSERT_EQ(mkfifo(dir.file("in.csv").c_str(), 0644), 0); break;
    case Setup::fd_link: fs::create_symlink("/proc/self/fd/1", dir.file("out.link")); break;
    case Setup::link:
      fs::create_directory(dir.file("sub"));
      file("sub/real.csv", "old\n", 0640);
      fs::create_symlink("sub/real.csv", dir.file("link.csv"));
      break;
    case Setup::modes: file("table.csv", "old\n", 0600), file("pic.svg", "old\n", 0444); break;
    case Setup::planted:
      file("victim.txt", "victim\n", 0644);
      fs::create_symlink("victim.txt", dir.file("table.csv.tmp-0"));
      file("pic.svg.tmp-0", "mine\n", 0644);
      break;
  }
}

// What the folder holds after the run, row by row.
void check_files(const Row& row, const TempDir& dir, const testsupport::ProcessResult& result) {
  const Reference& fresh = reference();
  const bool new_set = row.ending == 0 || row.pause >= 2;
  switch (row.setup) {
    case Setup::old_outputs:
      EXPECT_EQ(names(dir.path()), "good.csv pic.svg table.csv");
      EXPECT_TRUE(read_file(dir.file("table.csv")) == (new_set ? fresh.table : "old\n")) << "table";
      EXPECT_TRUE(read_file(dir.file("pic.svg")) == (new_set ? fresh.picture : "old\n")) << "picture";
      break;
    case Setup::devices:
      EXPECT_EQ(names(dir.path()), "full good.csv null");
      EXPECT_TRUE(S_ISCHR(type_and_mode(dir.file("null"))) && S_ISCHR(type_and_mode(dir.file("full"))));
      break;
    case Setup::fifo: EXPECT_TRUE(S_ISFIFO(type_and_mode(dir.file("pipe.csv")))); break;
    case Setup::fifo_input: EXPECT_EQ(result.out.rfind("seedacc-check: in.csv\n", 0), 0u); break;
    case Setup::fd_link:
      EXPECT_TRUE(S_ISLNK(type_and_mode(dir.file("out.link"))));
      EXPECT_TRUE(result.out.compare(0, fresh.table.size(), fresh.table) == 0) << "no table first";
      EXPECT_NE(result.out.find("\nverdict"), std::string::npos);
      break;
    case Setup::link:
      EXPECT_TRUE(S_ISLNK(type_and_mode(dir.file("link.csv"))));
      EXPECT_TRUE(read_file(dir.file("sub/real.csv")) == fresh.table) << "the linked file not replaced";
      EXPECT_EQ(type_and_mode(dir.file("sub/real.csv")) & 0777, 0640u);
      EXPECT_EQ(names(dir.file("sub")), "real.csv");
      break;
    case Setup::modes:
      EXPECT_EQ(names(dir.path()), "good.csv pic.svg table.csv");
      EXPECT_EQ(type_and_mode(dir.file("table.csv")) & 0777, 0600u);
      EXPECT_EQ(type_and_mode(dir.file("pic.svg")) & 0777, 0444u);
      EXPECT_TRUE(read_file(dir.file("pic.svg")) == fresh.picture) << "picture";
      break;
    case Setup::planted:
      EXPECT_EQ(names(dir.path()), "good.csv pic.svg pic.svg.tmp-0 table.csv table.csv.tmp-0 victim.txt");
      EXPECT_TRUE(read_file(dir.file("victim.txt")) == "victim\n") << "the planted link was followed";
      EXPECT_EQ(read_file(dir.file("pic.svg.tmp-0")), "mine\n");
      EXPECT_TRUE(S_ISLNK(type_and_mode(dir.file("table.csv.tmp-0"))));
      EXPECT_TRUE(read_file(dir.file("table.csv")) == fresh.table) << "table";
      break;
  }
}

class OutputStep : public testing::TestWithParam<Row> {};

TEST_P(OutputStep, EndsAsTheRowSays) {
  const Row& row = GetParam();
  TempDir dir;
  write_file(dir.file("good.csv"), record());
  prepare(row.setup, dir);
  if (HasFatalFailure()) return;
  std::vector<std::string> argv{row.pause != 0 ? SEEDACC_CHECK_PAUSED_PATH : SEEDACC_CHECK_PATH};
  for (std::size_t at = 0, end = 0; end != std::string::npos; at = end + 1) {
    end = std::string(row.args).find(' ', at);
    argv.push_back(std::string(row.args).substr(at, end - at));
  }
  testsupport::ProcessOptions options;
  options.dir = dir.path();
  options.timeout_seconds = 20;
  if (row.pause != 0) {
    options.on_stop = [&row](pid_t pid, int stop) {
      if (stop == row.pause) kill(pid, row.signal);
    };
  }
  if (row.setup == Setup::fifo_input) {
    options.trigger = "waiting for a writer";
    options.action = [&dir](pid_t) {
      const int fd = open(dir.file("in.csv").c_str(), O_WRONLY | O_NONBLOCK);
      const std::string text = record();
      if (fd >= 0 && write(fd, text.data(), text.size()) < 0) ADD_FAILURE() << "no write";
      if (fd >= 0) close(fd);
    };
  }
  std::thread reader;  // the pipe's reader, for 20 s at most
  const std::string drained = dir.file("drained");
  if (row.setup == Setup::fifo) {
    reader = std::thread([&] {
      EXPECT_EQ(std::system(("timeout 20 cat '" + dir.file("pipe.csv") + "' >'" + drained + "'").c_str()), 0);
    });
  }
  const testsupport::ProcessResult result = testsupport::run_process(argv, options);
  if (reader.joinable()) reader.join();
  EXPECT_EQ(result.exited ? result.status : -result.signal, row.ending);
  if (*row.err == '\0') {
    EXPECT_EQ(result.err, "");
  } else {
    EXPECT_NE(result.err.find(row.err), std::string::npos) << result.err;
  }
  if (row.setup == Setup::fifo) {
    EXPECT_TRUE(read_file(drained) == reference().table);
  }
  check_files(row, dir, result);
}

INSTANTIATE_TEST_SUITE_P(Rows, OutputStep, testing::ValuesIn(kRows),
                         [](const testing::TestParamInfo<Row>& info) {
                           return "row" + std::to_string(info.index);
                         });

}  // namespace
