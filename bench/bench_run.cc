// A whole run of the program as a process, set beside cp copying the file
// that run writes.
//
// One benchmark run alternates the two, seedacc, cp, seedacc, cp, ...,
// kPairs times each, in one temporary folder, and reports the median of
// each and their ratio. Both are started the same way, by fork and execv
// from this process (no shell on either side), and each time runs from just
// before the fork to just after the wait, so the start-up of a process
// counts on both sides alike; the ratio says how much more a whole run
// costs than merely copying its 360 KB result.
//
// Beside the wall times it reports the processor time of each child (user
// and system, from wait4), whose ratio holds up better on a busy machine:
// waiting for a core lengthens the wall time, not the processor time.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#ifndef SEEDACC_PROGRAM
#error "SEEDACC_PROGRAM must name the seedacc executable (bench/CMakeLists.txt defines it)"
#endif

namespace {

constexpr int kPairs = 21;

// The answers of the default run: seed 7, keep the corner times, out.csv.
constexpr char kAnswers[] = "7\n0\nout.csv\n";

// The record file of the default run: the header line of 25 characters
// (" time(sec),seed-Acc(gal)" and the line feed) and 16384 records of 22.
constexpr off_t kRecordFileSize = 25 + 16384 * 22;

// The first executable file named `name` along PATH; empty when none.
std::string find_in_path(const char* name) {
  const char* path = std::getenv("PATH");
  std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= dirs.size()) {
    std::size_t stop = dirs.find(':', start);
    if (stop == std::string::npos) stop = dirs.size();
    std::string dir = dirs.substr(start, stop - start);
    if (dir.empty()) dir = ".";
    std::string candidate = dir + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    start = stop + 1;
  }
  return std::string();
}

// The times of one finished child, in seconds.
struct RunTimes {
  double wall = -1.0;       // negative: the run failed
  double processor = -1.0;  // user and system time of the child
};

double seconds_of(const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec * 1e-6; }

// Runs `argv[0]` with `argv` in `folder`, standard input from `input_fd`,
// standard output to `null_fd`, standard error inherited. Returns the wall
// time from just before the fork to just after the wait and the child's
// processor time; wall < 0 when the process could not start or did not exit
// with 0. The child calls only async-signal-safe functions before execv.
RunTimes run_process(char* const argv[], const char* folder, int input_fd, int null_fd) {
  RunTimes times;
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid < 0) return times;
  if (pid == 0) {
    if (dup2(input_fd, 0) < 0 || dup2(null_fd, 1) < 0 || chdir(folder) != 0) _exit(126);
    execv(argv[0], argv);
    _exit(127);
  }
  int status = 0;
  rusage usage;
  pid_t waited;
  do {
    waited = wait4(pid, &status, 0, &usage);
  } while (waited < 0 && errno == EINTR);
  const auto stop = std::chrono::steady_clock::now();
  if (waited != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return times;
  times.wall = std::chrono::duration<double>(stop - start).count();
  times.processor = seconds_of(usage.ru_utime) + seconds_of(usage.ru_stime);
  return times;
}

// One run of seedacc with the answers piped in. The answers (14 bytes) fit
// the pipe's buffer, so they are written and the pipe's end closed before
// the process starts; the pipe is made outside the timed part.
RunTimes run_seedacc(char* const argv[], const char* folder, int null_fd) {
  int fds[2];
  if (pipe(fds) != 0) return RunTimes();
  fcntl(fds[0], F_SETFD, FD_CLOEXEC);
  fcntl(fds[1], F_SETFD, FD_CLOEXEC);
  const ssize_t length = static_cast<ssize_t>(sizeof kAnswers - 1);
  const bool written = write(fds[1], kAnswers, sizeof kAnswers - 1) == length;
  close(fds[1]);
  const RunTimes times = written ? run_process(argv, folder, fds[0], null_fd) : RunTimes();
  close(fds[0]);
  return times;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}

off_t file_size(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 ? info.st_size : -1;
}

void BM_whole_run_vs_cp(benchmark::State& state) {
  const std::string cp_path = find_in_path("cp");
  if (cp_path.empty()) {
    state.SkipWithError("no cp along PATH");
    return;
  }
  const char* tmp = std::getenv("TMPDIR");
  std::string folder_template = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") +
                                "/seedacc_bench.XXXXXX";
  std::vector<char> folder_text(folder_template.begin(), folder_template.end());
  folder_text.push_back('\0');
  if (mkdtemp(folder_text.data()) == nullptr) {
    state.SkipWithError("cannot make a temporary folder");
    return;
  }
  const std::string folder = folder_text.data();
  const std::string record_file = folder + "/out.csv";
  const std::string copy_file = folder + "/copy.csv";

  const int null_out = open("/dev/null", O_WRONLY | O_CLOEXEC);
  const int null_in = open("/dev/null", O_RDONLY | O_CLOEXEC);

  std::string seedacc_path = SEEDACC_PROGRAM;
  char* const seedacc_argv[] = {&seedacc_path[0], nullptr};
  std::string cp_name = cp_path, source = "out.csv", target = "copy.csv";
  char* const cp_argv[] = {&cp_name[0], &source[0], &target[0], nullptr};

  std::vector<double> seedacc_times, cp_times;                // wall
  std::vector<double> seedacc_processor, cp_processor;        // processor
  const char* failure = nullptr;
  if (null_out < 0 || null_in < 0) failure = "cannot open /dev/null";

  // One untimed run of each first: both files then exist, and every timed
  // run of either overwrites a file of the same size, from a warm cache.
  if (failure == nullptr && run_seedacc(seedacc_argv, folder.c_str(), null_out).wall < 0)
    failure = "seedacc did not finish normally";
  if (failure == nullptr && file_size(record_file) != kRecordFileSize)
    failure = "seedacc wrote a record file of an unexpected size";
  if (failure == nullptr && run_process(cp_argv, folder.c_str(), null_in, null_out).wall < 0)
    failure = "cp did not finish normally";

  for (auto _ : state) {
    seedacc_times.clear();
    cp_times.clear();
    seedacc_processor.clear();
    cp_processor.clear();
    for (int pair = 0; pair < kPairs && failure == nullptr; ++pair) {
      const RunTimes seedacc_run = run_seedacc(seedacc_argv, folder.c_str(), null_out);
      if (seedacc_run.wall < 0) {
        failure = "seedacc did not finish normally";
        break;
      }
      const RunTimes cp_run = run_process(cp_argv, folder.c_str(), null_in, null_out);
      if (cp_run.wall < 0) {
        failure = "cp did not finish normally";
        break;
      }
      seedacc_times.push_back(seedacc_run.wall);
      cp_times.push_back(cp_run.wall);
      seedacc_processor.push_back(seedacc_run.processor);
      cp_processor.push_back(cp_run.processor);
    }
    if (failure != nullptr) break;
    state.SetIterationTime(median(seedacc_times));
  }
  if (failure == nullptr && file_size(copy_file) != kRecordFileSize)
    failure = "the copy has an unexpected size";

  if (null_out >= 0) close(null_out);
  if (null_in >= 0) close(null_in);
  unlink(record_file.c_str());
  unlink(copy_file.c_str());
  rmdir(folder.c_str());

  if (failure != nullptr) {
    state.SkipWithError(failure);
    return;
  }
  const double seedacc_median = median(seedacc_times);
  const double cp_median = median(cp_times);
  const double ratio = seedacc_median / cp_median;
  const double seedacc_cpu = median(seedacc_processor);
  const double cp_cpu = median(cp_processor);
  const double cpu_ratio = cp_cpu > 0 ? seedacc_cpu / cp_cpu : 0.0;
  state.counters["seedacc_ms"] = seedacc_median * 1e3;
  state.counters["cp_ms"] = cp_median * 1e3;
  state.counters["ratio_to_cp"] = ratio;
  state.counters["seedacc_cpu_ms"] = seedacc_cpu * 1e3;
  state.counters["cp_cpu_ms"] = cp_cpu * 1e3;
  state.counters["cpu_ratio_to_cp"] = cpu_ratio;
  // On standard error, so that a machine-readable report on standard output
  // stays clean.
  std::fprintf(stderr,
               "whole run: seedacc median %.3f ms, cp median %.3f ms over %d alternating runs"
               " each; ratio_to_cp %.2f (target <= 3)\n"
               "           processor time: seedacc median %.3f ms, cp median %.3f ms;"
               " cpu_ratio_to_cp %.2f\n",
               seedacc_median * 1e3, cp_median * 1e3, kPairs, ratio, seedacc_cpu * 1e3,
               cp_cpu * 1e3, cpu_ratio);
}

// One iteration is the kPairs alternating runs of each; the reported time
// is seedacc's median run.
BENCHMARK(BM_whole_run_vs_cp)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
