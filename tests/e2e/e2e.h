// e2e.h: running build/seedacc in a temporary folder with piped answers.
#pragma once

#include <string>

#include "process.h"

namespace e2e {

inline testsupport::ProcessResult run_seedacc(const std::string& answers, const std::string& dir,
                                              testsupport::ProcessOptions options = {}) {
  options.dir = dir;
  options.input = answers;
  return testsupport::run_process({SEEDACC_PATH}, options);
}

// The console text of a run up to and including the file-name prompt.
inline std::string dialogue(bool with_corner_prompt) {
  std::string text =
      "\n"
      " Enter Random Number (1-999)\n"
      "\n"
      "  dt,nt,duration(=dt*nt)=  0.01 16384  163.84\n"
      "  DUR,DOM,NOM,EOM=  163.84  0.0383495197 8192  314.159265\n"
      "  Highest Frequency (hz)=  50.\n"
      "\n"
      " Corner Times for Waveform:\n"
      "   tb,tc,td,te(s)=  4.  35.  80.  163.84\n"
      " Change Those Data? (Enter No=0 or Yes=1)\n";
  if (with_corner_prompt) text += " Enter tb,tc,td,te(s):\n";
  text +=
      "\n"
      " Enter a Seed Acceleration for OUTPUT\n";
  return text;
}

}  // namespace e2e
