// textio.h: the I/O layer as the main program sees it.
//
// Every I/O statement is a start call, one call per item and an end call:
//   list-directed write   s_wsle, do_lio ..., e_wsle
//   list-directed read    s_rsle, do_lio ..., e_rsle
//   formatted write       s_wsfe, do_fio ..., e_wsfe
// plus f_open and f_clos for the connection of a named file. The control
// blocks never ask for an error, end-of-file or status return: no failure
// comes back to the caller. Every failure ends the run through f__fatal with
// its code and the context of the failed operation. The functions return 0
// so that they read like the statements they stand for; callers ignore it.
//
// Units: 0 standard error, 5 standard input, 6 standard output, 9 (or any
// other number up to 99) a file connected by f_open.
//
// Where each piece lives: lio.cc the list-directed statements, lwrite.cc
// and lread.cc their items; fio.cc the formatted statement, fmt.cc its
// format and edits; open.cc f_open, f_clos, f_exit; units.cc the unit table
// and record hand-over; stream.cc the buffered streams; iostate.cc the
// statement marks; fatal.cc f__fatal; signals.cc the handlers, sig_poll,
// sig_die, s_stop; init.cc and start.cc the start-up; os.cc every platform
// call.
#pragma once

#include <cstdint>

using integer = std::int32_t;  // every whole number of the system
using ftnlen = std::int32_t;   // lengths of texts and items

// Type codes of list items (do_lio).
constexpr integer TYINT = 3;    // signed 32-bit integer, length 4
constexpr integer TYDREAL = 5;  // double, length 8
constexpr integer TYCHAR = 9;   // fixed-length text, its length

// Read or write statement.
struct cilist {
  integer err;         // nonzero: return failures (never used: must be 0)
  integer unit;        // unit number
  integer end;         // nonzero: return end of file (never used: must be 0)
  const char* format;  // record format text (formatted statements only)
  integer rec;         // record number (never used: must be 0)
};

// OPEN statement.
struct olist {
  integer err;         // must be 0: a failure ends the run
  integer unit;        // 0 ... 99
  const char* file;    // file name text, blank-padded
  ftnlen filelen;      // length of `file`
  const char* stat;    // status text; only the first character counts
  const char* access;  // none (nullptr): sequential
  const char* form;    // none (nullptr): formatted
  integer recl;        // 0: sequential
  const char* blank;   // none (nullptr)
};

// CLOSE statement.
struct cllist {
  integer err;       // must be 0
  integer unit;      // unit number; an unconnected unit is left alone
  const char* stat;  // none (nullptr): the file is kept
};

// Start a list-directed write on c->unit. The record starts empty; a
// connected unit not yet writing is switched to writing ("list output
// start: can't write file" when it cannot be).
int s_wsle(const cilist* c);

// Transfer `count` items of type `type` (TYINT, TYDREAL, TYCHAR) lying
// `length` bytes apart from `addr`, in the current list-directed statement:
// appended to the record of a write, filled from the input of a read (a
// null value or a slash leaves the variable as it was). Returns 0, or -1
// when a read met end of input inside a quoted text (the variable is left
// unchanged and the run goes on).
int do_lio(const integer* type, const integer* count, void* addr, ftnlen length);

// End the list-directed write: the record and its line feed go to the
// unit's stream in one piece.
int e_wsle();

// Start a list-directed read on c->unit (unit 5). "read start: end of file"
// when an earlier statement already met the end of input.
int s_rsle(const cilist* c);

// End the list-directed read: the rest of the current input line, its line
// end included, is discarded.
int e_rsle();

// Start a formatted write on c->unit with the record format c->format
// ("(F8.2,',',E12.4)" with ' or 0x02 as literal delimiters).
int s_wsfe(const cilist* c);

// Edit `count` doubles (length 8) from `addr` by the next data edit items of
// the format, writing the literals met on the way.
int do_fio(const ftnlen* count, void* addr, ftnlen length);

// End the formatted write: the rest of the format is worked through and the
// record, with its line feed, goes to the stream.
int e_wsfe();

// Connect o->unit to the file named by o->file without its trailing blanks.
// The file is opened for update, else for reading, else created; it is not
// emptied here, but CLOSE cuts it after the last byte this run wrote.
int f_open(const olist* o);

// Disconnect c->unit: cut the file at the current position if it was
// written, close the stream. An unconnected unit is left alone.
int f_clos(const cllist* c);

// Exit-time disconnection of every unit (registered with atexit). Does its
// work at most once per process.
void f_exit();

// The run-time start-up, called by `main` before MAIN__: remembers the
// arguments (never read), installs the signal handlers, connects the console
// units. See start.cc for the order.
void f_setarg(int argc, char** argv);
void f_setsig();
void f_init();

// Registers f_exit with the exit sequence (atexit).
void atexit_f_exit();

// Puts the floating-point environment back to the platform's default, in
// which no floating-point exception traps.
void f_fpreset();

// STOP: writes "STOP <text> statement executed" to standard error when the
// text is not empty, then ends the process with status 0. A stop request
// recorded before it is acted on instead (sig_poll).
[[noreturn]] void s_stop(const char* text, ftnlen length);

// Write the fatal report for `code` (-1 end of file, 0..99 the platform's
// error numbers, 100..132 the system's own) in `context`, close the files
// and abort. A stop request recorded before it is acted on instead
// (sig_poll).
[[noreturn]] void f__fatal(int code, const char* context);

// Write `message` and a line feed to standard error and end the process:
// with status 1 when `abort_flag` is 0, else by abort after the files have
// been closed.
[[noreturn]] void sig_die(const char* message, int abort_flag);

// A long computation's safe point: when an interrupt or termination request
// has been recorded, this runs the exit sequence ("Interrupt" or "Killed",
// status 1) and does not return. Otherwise, or once the run's ending has
// begun, it returns at once; a stop request from then on ends the process
// at once with status 1 and no message.
void sig_poll();

// The main program, defined by the synthesis program.
int MAIN__();
