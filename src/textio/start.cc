// start.cc: the run-time entry. The order of start-up matters: the
// floating-point environment and the signal handlers are in place before
// the console units are connected, and f_exit is registered before the main
// program runs, so that every ending closes the output file.
#include "textio.h"

int main(int argc, char** argv) {
  f_fpreset();
  f_setarg(argc, argv);
  f_setsig();
  f_init();
  atexit_f_exit();
  MAIN__();
  s_stop("", 0);
}
