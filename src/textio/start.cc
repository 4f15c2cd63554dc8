// start.cc: the run-time entry. The order of start-up matters: the
// floating-point environment and the signal handlers are in place before
// the console units are connected, and f_exit is registered before the main
// program runs, so that every ending closes the output file.
#include "textio.h"

#ifdef SEEDACC_PAUSE_POINTS
#include "os.h"
#endif

int main(int argc, char** argv) {
  f_fpreset();
  f_setarg(argc, argv);
  f_setsig();
#ifdef SEEDACC_PAUSE_POINTS
  // The fault suite's build only: stop here, handlers installed and nothing
  // connected yet, until the test has sent its signal and SIGCONT.
  textio::os::stop_self();
#endif
  f_init();
  atexit_f_exit();
  MAIN__();
  s_stop("", 0);
}
