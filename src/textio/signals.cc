// signals.cc: the signal handlers, the safe point that acts on them, and the
// ways the process ends (sig_die, s_stop).
//
// An interrupt or a termination request may come in the middle of a
// statement, so its handler only records it. Handlers are installed without
// automatic restart: a blocked read of standard input or write of the file
// returns, the layer calls sig_poll(), and the exit sequence runs there,
// outside the handler. The abort and floating-point signals cannot be
// resumed; their handlers write the message and the buffered whole records
// with async-signal-safe calls only, and abort.
#include <csignal>
#include <cstring>

#include "iostate.h"
#include "os.h"
#include "textio.h"
#include "units.h"

namespace textio {

volatile std::sig_atomic_t stop_request = 0;

namespace {

enum : int { kNoRequest = 0, kInterrupt = 1, kKilled = 2 };

void write_message(const char* text) { os::write_all(2, text, std::strlen(text)); }

[[noreturn]] void die_in_handler(const char* message) {
  write_message(message);
  emergency_close_all();
  os::default_signal(os::kSigAbrt);
  os::abort_process();
}

}  // namespace
}  // namespace textio

using namespace textio;

extern "C" void sigfdie(int) { die_in_handler("Floating Exception\n"); }
extern "C" void sigidie(int) { die_in_handler("IOT Trap\n"); }
extern "C" void sigindie(int) { stop_request = kInterrupt; }
extern "C" void sigtdie(int) { stop_request = kKilled; }

void f_setsig() {
  os::catch_signal(os::kSigFpe, sigfdie);
  os::catch_signal(os::kSigAbrt, sigidie);
  if (os::catch_signal(os::kSigInt, sigindie)) os::ignore_signal(os::kSigInt);
  os::catch_signal(os::kSigTerm, sigtdie);
}

void f_fpreset() { os::reset_floating_point(); }

void sig_poll() {
  int request = stop_request;
  if (request == kNoRequest || io_state().exiting) return;
  sig_die(request == kInterrupt ? "Interrupt" : "Killed", 0);
}

void sig_die(const char* message, int abort_flag) {
  io_state().exiting = true;
  write_message(message);
  write_message("\n");
  if (!abort_flag) os::exit_process(1);  // the exit sequence runs f_exit
  f_exit();
  os::default_signal(os::kSigAbrt);
  os::abort_process();
}

void s_stop(const char* text, ftnlen length) {
  if (length > 0) {
    write_message("STOP ");
    os::write_all(2, text, static_cast<std::size_t>(length));
    write_message(" statement executed\n");
  }
  os::exit_process(0);
}
