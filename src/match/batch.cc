// batch.cc: several records in one run (see batch.h).
#include "batch.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <optional>
#include <thread>

#include "check/cli.h"
#include "text.h"

namespace match {

namespace fs = std::filesystem;

std::vector<Job> plan_jobs(const std::vector<std::string>& inputs, const std::string& out_dir,
                           OutputFormat format) {
  std::error_code status;
  if (!fs::is_directory(out_dir, status)) {
    throw check::UsageError("--out-dir '" + groundmotion::printable(out_dir) +
                            "' is not an existing folder");
  }
  std::vector<Job> jobs;
  for (const std::string& input : inputs) {
    const std::string name =
        fs::path(input).stem().string() + "-matched" + output_extension(format);
    jobs.push_back({input, (fs::path(out_dir) / name).string()});
  }
  for (std::size_t k = 0; k < jobs.size(); ++k) {
    for (const std::string& input : inputs) {
      if (check::same_file(jobs[k].output, input)) {
        throw check::UsageError("the matched record of '" + groundmotion::printable(jobs[k].input) +
                                "' would be written over the input '" +
                                groundmotion::printable(input) + "'");
      }
    }
    for (std::size_t j = 0; j < k; ++j) {
      if (check::same_file(jobs[k].output, jobs[j].output)) {
        throw check::UsageError("'" + groundmotion::printable(jobs[j].input) + "' and '" +
                                groundmotion::printable(jobs[k].input) +
                                "' would both be written to '" +
                                groundmotion::printable(jobs[k].output) + "'");
      }
    }
  }
  return jobs;
}

void run_in_order(std::size_t count, int threads, const std::function<Outcome(std::size_t)>& work,
                  const std::function<void(std::size_t, Outcome&)>& deliver) {
  const std::size_t workers = std::min<std::size_t>(static_cast<std::size_t>(std::max(threads, 1)), count);
  std::vector<std::optional<Outcome>> done(count);
  std::mutex lock;
  std::condition_variable ready;
  std::atomic<std::size_t> next{0};
  const auto worker = [&]() {
    for (std::size_t i = next++; i < count; i = next++) {
      Outcome outcome = work(i);
      const std::lock_guard<std::mutex> guard(lock);
      done[i] = std::move(outcome);
      ready.notify_all();
    }
  };
  if (workers <= 1) {
    for (std::size_t i = 0; i < count; ++i) {
      Outcome outcome = work(i);
      deliver(i, outcome);
    }
    return;
  }
  std::vector<std::thread> pool;
  for (std::size_t w = 0; w < workers; ++w) pool.emplace_back(worker);
  for (std::size_t i = 0; i < count; ++i) {
    std::unique_lock<std::mutex> guard(lock);
    ready.wait(guard, [&] { return done[i].has_value(); });
    Outcome outcome = std::move(*done[i]);
    done[i].reset();
    guard.unlock();
    deliver(i, outcome);
  }
  for (std::thread& thread : pool) thread.join();
}

int default_threads() {
  return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

std::string format_batch_summary(const std::vector<Job>& jobs, const std::vector<Outcome>& outcomes) {
  std::size_t width = 6;
  for (const Job& job : jobs) width = std::max(width, groundmotion::printable(job.input).size());
  const auto name = [width](const std::string& file) {
    const std::string shown = groundmotion::printable(file);
    return "  " + shown + std::string(width - shown.size(), ' ') + "  ";
  };
  std::string text = groundmotion::format("\nsummary of %zu records\n", jobs.size());
  text += name("record") +
          "iterations  min ratio  max ratio  resid. vel. cm/s  resid. disp. cm  verdict\n";
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    const Outcome& outcome = outcomes[i];
    text += name(jobs[i].input);
    if (outcome.file.empty()) {
      text += outcome.verdict + "\n";
      continue;
    }
    text += groundmotion::format("%10zu  %9.3f  %9.3f  %16.3g  %15.3g  %s\n", outcome.iterations,
                            outcome.lowest_ratio, outcome.highest_ratio,
                            outcome.residual_velocity, outcome.residual_displacement,
                            outcome.verdict.c_str());
  }
  return text;
}

}  // namespace match
