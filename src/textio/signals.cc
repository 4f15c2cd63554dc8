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

namespace {

enum : int { kNoRequest = 0, kInterrupt = 1, kKilled = 2 };

void write_message(const char* text) { os::write_all(2, text, std::strlen(text)); }

[[noreturn]] void die_in_handler(const char* message) {
  exiting = 1;
  write_message(message);
  emergency_close_all();
  os::default_signal(os::kSigAbrt);
  os::abort_process();
}

// A first request is recorded for sig_poll(). One that comes once the
// ending has begun (the exit sequence waiting for a pipe nobody reads, say)
// ends the process at once: what was written stays, the rest is abandoned.
void record_stop(int request) {
  if (exiting) os::exit_now(1);
  stop_request = request;
}

}  // namespace
}  // namespace textio

using namespace textio;

extern "C" void sigfdie(int) { die_in_handler("Floating Exception\n"); }
extern "C" void sigidie(int) { die_in_handler("IOT Trap\n"); }
extern "C" void sigindie(int) { record_stop(kInterrupt); }
extern "C" void sigtdie(int) { record_stop(kKilled); }

void f_setsig() {
  os::catch_signal(os::kSigFpe, sigfdie);
  os::catch_signal(os::kSigAbrt, sigidie);
  if (os::catch_signal(os::kSigInt, sigindie)) os::ignore_signal(os::kSigInt);
  os::catch_signal(os::kSigTerm, sigtdie);
  // A reader that went away and a file-size limit are write failures like
  // any other: seen for the file, unseen on the console.
  os::ignore_signal(os::kSigPipe);
  os::ignore_signal(os::kSigXfsz);
}

void f_fpreset() { os::reset_floating_point(); }

void sig_poll() {
  int request = stop_request;
  if (request == kNoRequest || exiting) return;
  sig_die(request == kInterrupt ? "Interrupt" : "Killed", 0);
}

void sig_die(const char* message, int abort_flag) {
  exiting = 1;
  write_message(message);
  write_message("\n");
  if (!abort_flag) os::exit_process(1);  // the exit sequence runs f_exit
  f_exit();
  os::default_signal(os::kSigAbrt);
  os::abort_process();
}

void s_stop(const char* text, ftnlen length) {
  sig_poll();  // a stop request recorded before the end wins over it
  if (length > 0) {
    write_message("STOP ");
    os::write_all(2, text, static_cast<std::size_t>(length));
    write_message(" statement executed\n");
  }
  os::exit_process(0);
}
