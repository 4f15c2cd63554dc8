// main.cc: seedacc-match, the matching of a seed record to the target
// spectrum. Everything but the process boundary lives in the match library
// (cli.h).
#include <iostream>
#include <string>
#include <vector>

#include "cli.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  return match::run(args, std::cout, std::cerr);
}
