// answers.h: the four read statements of the dialogue, run over arbitrary
// bytes as the answers on unit 5, with the fatal end turned into an outcome
// the caller can inspect. Shared by the libFuzzer target and the corpus
// replay test; never linked into the program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "textio.h"

namespace answers {

// The dialogue's variables, starting from the values the program gives them
// before their reads (0, 0, the default corner times, 50 blanks).
struct Dialogue {
  static constexpr int kNameLength = 50;
  integer seed = 0;
  integer change = 0;
  double corners[4] = {4.0, 35.0, 80.0, 163.84};
  char name[kNameLength];
  Dialogue();
};

struct Outcome {
  Dialogue values;
  // Which statement ran last: 1 seed, 2 yes/no, 3 corner times, 4 name.
  int statement = 0;
  bool fatal = false;    // the run ended in f__fatal
  int code = 0;          // its code and context
  std::string context;
  int name_result = 0;   // what do_lio returned for the name
};

// Runs the dialogue's reads (the corner times only after a yes answer of 1)
// through s_rsle, do_lio and e_rsle on unit 5 over `size` bytes at `data`.
// Each call starts from a fresh unit 5: the bytes are attached anew and the
// end-of-input flag is clear.
Outcome run_dialogue(const std::uint8_t* data, std::size_t size);

// The first line the fatal report of `outcome` would write, without its
// line feed.
std::string first_line(const Outcome& outcome);

// True when `line` is the first line of one of the reader's own failures
// (end of input, bad number, repeat count, exponent, integer, memory).
bool is_reader_first_line(const std::string& line);

// Checks that hold for every outcome whatever the bytes; returns an empty
// string, or a description of the first one broken.
std::string check_outcome(const std::uint8_t* data, std::size_t size, const Outcome& outcome);

}  // namespace answers
