// provenance.h: where a page's figures come from: the input file by its
// content, the program by the commit it was built from, the run by its
// date.
#pragma once

#include <cstdint>
#include <string>

namespace page {

// A file as read or written: its name as given, its size in bytes and the
// SHA-256 of its bytes.
struct FileFacts {
  std::string name;
  std::uintmax_t size = 0;
  std::string sha256;  // 64 hexadecimal digits
};

// The facts of the file at `path`, read from the start to the end.
// Throws std::runtime_error naming the path when it cannot be read.
FileFacts file_facts(const std::string& path);

// The facts of `content` about to be written to `name`.
FileFacts content_facts(const std::string& name, const std::string& content);

// The git commit the programs were built from (12 hexadecimal digits), as
// it was when the build was configured, or "unknown".
std::string program_version();

// The date and time of the run, "YYYY-MM-DD hh:mm:ss UTC". When the
// environment variable SOURCE_DATE_EPOCH holds a whole number of seconds
// since 1970, that time instead, so that a page can be made again byte
// for byte.
std::string run_date();

}  // namespace page
