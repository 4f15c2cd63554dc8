// iostate.cc: what the layer remembers about its statements, and the marks
// each statement sets and clears.
#include "iostate.h"

#include "textio.h"

namespace textio {

const char kListIo[] = "list io";

volatile std::sig_atomic_t stop_request = 0;
volatile std::sig_atomic_t exiting = 0;

namespace {
IoState state;  // constant-initialised: no construction a signal could meet
}  // namespace

IoState& io_state() { return state; }

void begin_statement(int unit, bool transfer, bool reading) {
  sig_poll();  // a recorded interrupt ends the run before the next statement
  if (state.in_statement) f__fatal(131, "I/O recursion");
  state.in_statement = true;
  state.current_unit = unit;
  if (transfer) state.reading = reading;
}

void end_statement() { state.in_statement = false; }

}  // namespace textio
