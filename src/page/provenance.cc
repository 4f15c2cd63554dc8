// provenance.cc: the facts of a page's inputs, program and run (see
// provenance.h).
#include "provenance.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <stdexcept>

#include "sha256.h"

#ifndef SEEDACC_GIT_COMMIT
#define SEEDACC_GIT_COMMIT "unknown"
#endif

namespace page {

FileFacts file_facts(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error(path + ": cannot read (" + std::strerror(errno) + ")");
  FileFacts facts{path, 0, ""};
  Sha256 digest;
  char buffer[1 << 16];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    digest.add(std::string_view(buffer, static_cast<std::size_t>(in.gcount())));
    facts.size += static_cast<std::uintmax_t>(in.gcount());
  }
  if (in.bad()) throw std::runtime_error(path + ": cannot read");
  facts.sha256 = digest.hex_digest();
  return facts;
}

FileFacts content_facts(const std::string& name, const std::string& content) {
  return {name, content.size(), sha256_hex(content)};
}

std::string program_version() { return SEEDACC_GIT_COMMIT; }

std::string run_date() {
  std::time_t now = std::time(nullptr);
  const char* fixed = std::getenv("SOURCE_DATE_EPOCH");
  if (fixed != nullptr && *fixed != '\0') {
    char* end = nullptr;
    const long long seconds = std::strtoll(fixed, &end, 10);
    if (*end == '\0' && seconds >= 0) now = static_cast<std::time_t>(seconds);
  }
  char text[64] = "unknown";
  if (const std::tm* utc = std::gmtime(&now)) {
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", utc);
  }
  return text;
}

}  // namespace page
