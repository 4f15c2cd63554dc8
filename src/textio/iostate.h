// iostate.h: what the layer remembers about the statements it runs, for the
// fatal report and for the guard against a statement inside another.
#pragma once

#include <csignal>

namespace textio {

// The four words of the "lately" line are fixed for this system except the
// direction: every statement is sequential, formatted (list-directed counts
// as formatted) and external.
struct IoState {
  int current_unit = -1;         // unit of the last statement or OPEN; -1: none
  const char* format = nullptr;  // last format text, nullptr: none
  int format_length = 0;         // its recorded length
  bool reading = false;          // direction of the last data transfer
  bool in_statement = false;     // an I/O statement has started, not ended
  bool initialized = false;      // f_init has run
  bool reporting = false;        // f__fatal has begun; never cleared
};

// The one state of the run; constant-initialised, so that a handler that
// runs at any moment after start-up finds it whole.
IoState& io_state();

// Set by the interrupt and termination handlers (1 interrupt, 2
// termination); acted on by sig_poll().
extern volatile std::sig_atomic_t stop_request;

// Set once the run's ending has begun (the exit sequence, a fatal report's
// end, a fatal signal's handler); a stop request from then on ends the
// process at once.
extern volatile std::sig_atomic_t exiting;

// The text "list io" of length 7, recorded as the format of every
// list-directed statement.
extern const char kListIo[];

// Starts a statement on `unit`: a statement already in progress ends the run
// with code 131 in the context "I/O recursion". `reading` is the direction
// for a data transfer; OPEN and CLOSE pass `transfer` false and leave the
// direction and format as they were.
void begin_statement(int unit, bool transfer, bool reading);

// Ends the statement begun last.
void end_statement();

// For test builds only (the fuzz target): when set, f__fatal calls it with
// the code and context instead of reporting and aborting. The hook must not
// return (it throws or jumps). The program never sets it.
using FatalHook = void (*)(int code, const char* context);
void set_fatal_hook(FatalHook hook);

// The message of one of the system's own codes (100 ... 132), or nullptr.
const char* system_message(int code);

}  // namespace textio
