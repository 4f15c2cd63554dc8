// main.cc: MAIN__, the program's one straight run: the dialogue, the
// spectrum synthesis, the corner-time dialogue and the record file.
#include <cmath>
#include <cstring>

#include "kernels.h"
#include "synthesis.h"
#include "textio.h"

namespace {

// The spectrum and the history live for the whole run.
dcomplex fx[synthesis::kCapacity];
double acc[synthesis::kCapacity];

const integer kOne = 1;
const cilist kConsoleOut = {0, 6, 0, nullptr, 0};
const cilist kConsoleIn = {0, 5, 0, nullptr, 0};

// One item of the statement in progress.
void item_text(const char* text) {
  do_lio(&TYCHAR, &kOne, const_cast<char*>(text), static_cast<ftnlen>(std::strlen(text)));
}
void item_integer(integer* value) { do_lio(&TYINT, &kOne, value, sizeof *value); }
void item_double(double* value) { do_lio(&TYDREAL, &kOne, value, sizeof *value); }

// A write statement of one text on standard output; nullptr: a blank line.
void write_line(const char* text) {
  s_wsle(&kConsoleOut);
  if (text != nullptr) item_text(text);
  e_wsle();
}

}  // namespace

int MAIN__() {
  // The answers start as 0, 0 and blanks, so that a null answer leaves a
  // defined value: a null file name ends the run at the OPEN.
  integer idum = 0;
  integer ncorner = 0;
  char infile[50];
  std::memset(infile, ' ', sizeof infile);

  write_line(nullptr);
  write_line("Enter Random Number (1-999)");
  s_rsle(&kConsoleIn);
  item_integer(&idum);
  e_rsle();

  double pi = std::atan(1.0) * 4;
  double dt = 0.01;
  integer nt = 16384;
  double dur = nt * dt;
  double dom = (pi + pi) / dur;
  double eom = pi / dt;
  integer nom = nt / 2;

  write_line(nullptr);
  s_wsle(&kConsoleOut);
  item_text(" dt,nt,duration(=dt*nt)=");
  item_double(&dt);
  item_integer(&nt);
  item_double(&dur);
  e_wsle();
  s_wsle(&kConsoleOut);
  item_text(" DUR,DOM,NOM,EOM=");
  item_double(&dur);
  item_double(&dom);
  item_integer(&nom);
  item_double(&eom);
  e_wsle();
  double highest = eom / (pi + pi);
  s_wsle(&kConsoleOut);
  item_text(" Highest Frequency (hz)=");
  item_double(&highest);
  e_wsle();

  synthesis::synthesize_spectrum(&idum, pi, dom, nt, fx);

  synthesis::Envelope env = {4.0, 35.0, 80.0, dur, 0.1};
  write_line(nullptr);
  write_line("Corner Times for Waveform:");
  s_wsle(&kConsoleOut);
  item_text("  tb,tc,td,te(s)=");
  item_double(&env.tb);
  item_double(&env.tc);
  item_double(&env.td);
  item_double(&env.te);
  e_wsle();
  write_line("Change Those Data? (Enter No=0 or Yes=1)");
  s_rsle(&kConsoleIn);
  item_integer(&ncorner);
  e_rsle();
  if (ncorner == 1) {
    write_line("Enter tb,tc,td,te(s):");
    s_rsle(&kConsoleIn);
    item_double(&env.tb);
    item_double(&env.tc);
    item_double(&env.td);
    item_double(&env.te);
    e_rsle();
  }

  write_line(nullptr);
  write_line("Enter a Seed Acceleration for OUTPUT");
  s_rsle(&kConsoleIn);
  do_lio(&TYCHAR, &kOne, infile, sizeof infile);
  e_rsle();

  synthesis::write_record_file(infile, sizeof infile, fx, acc, nt, dt, dur, env);
  s_stop("", 0);
}
