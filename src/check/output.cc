// output.cc: writing the output files all or nothing (see output.h).
#include "output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

namespace check {
namespace {

namespace fs = std::filesystem;

std::string reason() {
  const int error = errno;
  return error != 0 ? std::strerror(error) : "write failed";
}

// One target on its way: its temporary file and, when the target existed,
// the name under which the old file is kept until all are renamed.
struct Pending {
  std::string target;
  std::string temporary;
  std::string kept;  // empty: the target did not exist
  bool renamed = false;
};

// Keeps the existing `target` under `kept`, by a hard link so that the
// target never goes missing, or by a copy where the file system has none.
// Returns the error of the copy when neither works.
std::error_code keep(const std::string& target, const std::string& kept) {
  std::error_code status;
  fs::create_hard_link(target, kept, status);
  if (!status) return status;
  status.clear();
  fs::copy_file(target, kept, status);
  return status;
}

// Puts back every renamed target and removes every temporary and kept
// file; used when the whole set cannot be written.
void roll_back(const std::vector<Pending>& pending) {
  for (auto entry = pending.rbegin(); entry != pending.rend(); ++entry) {
    if (entry->renamed) {
      if (entry->kept.empty()) {
        std::remove(entry->target.c_str());
      } else {
        std::error_code ignored;
        fs::rename(entry->kept, entry->target, ignored);
      }
    }
    std::remove(entry->temporary.c_str());
    if (!entry->kept.empty()) std::remove(entry->kept.c_str());
  }
}

[[noreturn]] void fail(const std::vector<Pending>& pending, const std::string& path,
                       const std::string& why) {
  roll_back(pending);
  throw OutputError(path + ": cannot write (" + why + ")");
}

}  // namespace

void write_files(const std::vector<OutputFile>& files) {
  std::random_device entropy;
  const auto unique_name = [&](const std::string& path, const char* kind) {
    return path + kind + std::to_string(entropy() % 1000000u);
  };
  std::vector<Pending> pending;
  for (const OutputFile& file : files) {
    Pending entry{file.path, unique_name(file.path, ".tmp-"), "", false};
    errno = 0;
    // Text mode: the lines end as the platform's text files do (CR LF on
    // Windows).
    std::ofstream out(entry.temporary, std::ios::trunc);
    if (!out) fail(pending, file.path, reason());
    pending.push_back(entry);
    out.write(file.content.data(), static_cast<std::streamsize>(file.content.size()));
    out.close();
    if (!out) fail(pending, file.path, reason());
  }
  for (Pending& entry : pending) {
    std::error_code status;
    if (fs::exists(fs::symlink_status(entry.target, status))) {
      entry.kept = unique_name(entry.target, ".old-");
      const std::error_code kept = keep(entry.target, entry.kept);
      if (kept) {
        entry.kept.clear();
        fail(pending, entry.target, "cannot keep the existing file: " + kept.message());
      }
    }
    // std::filesystem::rename replaces an existing target on every
    // platform; the C library's rename does not on Windows.
    fs::rename(entry.temporary, entry.target, status);
    if (status) fail(pending, entry.target, status.message());
    entry.renamed = true;
  }
  for (const Pending& entry : pending) {
    if (!entry.kept.empty()) std::remove(entry.kept.c_str());
  }
}

}  // namespace check
