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

std::string reason() {
  const int error = errno;
  return error != 0 ? std::strerror(error) : "write failed";
}

void remove_all(const std::vector<std::string>& paths, std::size_t from) {
  for (std::size_t i = from; i < paths.size(); ++i) std::remove(paths[i].c_str());
}

}  // namespace

void write_files(const std::vector<OutputFile>& files) {
  std::random_device entropy;
  std::vector<std::string> temporaries;
  for (const OutputFile& file : files) {
    const std::string temporary =
        file.path + ".tmp-" + std::to_string(entropy() % 1000000u);
    errno = 0;
    // Text mode: the lines end as the platform's text files do (CR LF on
    // Windows).
    std::ofstream out(temporary, std::ios::trunc);
    if (out) temporaries.push_back(temporary);
    if (out) out.write(file.content.data(), static_cast<std::streamsize>(file.content.size()));
    if (out) out.close();
    if (!out) {
      const std::string why = reason();
      remove_all(temporaries, 0);
      throw OutputError(file.path + ": cannot write (" + why + ")");
    }
  }
  // std::filesystem::rename replaces an existing target on every platform;
  // the C library's rename does not on Windows.
  for (std::size_t i = 0; i < files.size(); ++i) {
    std::error_code failure;
    std::filesystem::rename(temporaries[i], files[i].path, failure);
    if (failure) {
      const std::string why = failure.message();
      remove_all(temporaries, i);
      throw OutputError(files[i].path + ": cannot write (" + why + ")");
    }
  }
}

}  // namespace check
