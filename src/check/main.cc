// main.cc: seedacc-check, a check of a ground-motion record against the
// target spectrum of seedacc. Everything but the process boundary lives in
// the check library (cli.h).
#include <iostream>
#include <string>
#include <vector>

#include "cli.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  return check::run(args, std::cout, std::cerr);
}
