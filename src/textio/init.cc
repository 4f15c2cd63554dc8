// init.cc: the start-up steps before the main program.
#include "iostate.h"
#include "os.h"
#include "textio.h"
#include "units.h"

namespace textio {
namespace {

int saved_argc = 0;
char** saved_argv = nullptr;

void connect_console(int number, int fd, bool writing) {
  Unit& u = unit(number);
  u.connected = true;
  u.has_name = false;
  u.fd = fd;
  u.writing = writing;
  u.seekable = os::is_regular(fd);
  if (writing) {
    u.out.attach(fd);
  } else {
    u.in.attach_fd(fd);
  }
}

}  // namespace
}  // namespace textio

using namespace textio;

// The program takes no arguments; they are kept only as the run-time
// entry received them.
void f_setarg(int argc, char** argv) {
  saved_argc = argc;
  saved_argv = argv;
}

void f_init() {
  IoState& state = io_state();
  if (state.in_statement) f__fatal(131, "I/O recursion");
  os::fill_standard_descriptors();  // before any file can take their numbers
  connect_console(kStderrUnit, 2, true);
  connect_console(kStdinUnit, 0, false);
  connect_console(kStdoutUnit, 1, true);
  // Registered before f_exit, so it runs after it: standard output is
  // written out at the end of the exit sequence, as the platform's own
  // streams would be.
  os::at_exit(flush_stdout);
  state.initialized = true;
}

void atexit_f_exit() { os::at_exit(f_exit); }
