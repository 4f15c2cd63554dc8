// seed_record.h: the seed of the worked example for the benchmarks.
#pragma once

#include "record.h"

namespace bench {

// The seed record the program writes for random number 7 (default corner
// times): the synthesis stages as the main program runs them, each value
// as the file reads it back.
groundmotion::Record seed7();

}  // namespace bench
