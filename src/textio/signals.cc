#include "textio.h"
#include "os.h"
#include <cstring>
void sig_poll() {}
void f_setsig() {}
void f_fpreset() {}
void sig_die(const char* message, int abort_flag) {
  textio::os::write_all(2, message, std::strlen(message));
  textio::os::write_all(2, "\n", 1);
  if (!abort_flag) textio::os::exit_process(1);
  f_exit();
  textio::os::default_signal(textio::os::kSigAbrt);
  textio::os::abort_process();
}
void s_stop(const char*, ftnlen) { textio::os::exit_process(0); }
