// open.cc: connecting a named file (OPEN), disconnecting it (CLOSE) and the
// exit-time disconnection of every unit.
#include <cstring>
#include <new>

#include "iostate.h"
#include "os.h"
#include "textio.h"
#include "units.h"

namespace textio {
namespace {

// Writes out the buffered records, cuts the file after the last byte this
// run handed over (only a regular file that was written), then closes it.
// The unit stays connected until the records are out and the file is cut,
// so that an ending meanwhile (a signal, a stop request's exit sequence)
// finishes the same work. A failure leaves the unit disconnected before it
// is reported, so the exit sequence does not try the same step again; the
// name stays for the report.
void disconnect(Unit& u) {
  if (!u.has_name) {  // a console unit: forgotten, its stream stays open
    u.connected = false;
    return;
  }
  int write_error = u.writing ? u.out.flush() : 0;
  int cut_error = u.writing && write_error == 0 ? u.out.cut() : 0;
  u.out.detach();
  u.connected = false;
  int close_error = os::close_fd(u.fd);
  u.fd = -1;
  if (write_error != 0) f__fatal(write_error, "write");
  if (cut_error != 0) f__fatal(111, "endfile");
  if (close_error != 0) f__fatal(close_error, "close");
  u.has_name = false;
  u.name.clear();
}

// The file name: `length` characters without the trailing blanks (only
// blanks, and only at the end).
std::size_t trimmed_length(const char* text, ftnlen length) {
  std::size_t size = length > 0 ? static_cast<std::size_t>(length) : 0;
  while (size > 0 && text[size - 1] == ' ') --size;
  return size;
}

// Opens the file by the first of "r+", "r" and "w" that works. A directory
// is refused like a file that cannot be opened at all.
int open_by_modes(const char* name, Permission* permission, int* error) {
  static const struct {
    os::OpenMode mode;
    Permission permission;
  } kModes[] = {{os::OpenMode::update, Permission::update},
                {os::OpenMode::read_only, Permission::read_only},
                {os::OpenMode::create, Permission::write_only}};
  for (const auto& try_mode : kModes) {
    int fd = os::open_file(name, try_mode.mode, error);
    if (fd < 0) continue;
    if (os::is_directory(fd)) {
      os::close_fd(fd);
      *error = os::directory_error();
      continue;
    }
    *permission = try_mode.permission;
    return fd;
  }
  return -1;
}

}  // namespace
}  // namespace textio

using namespace textio;

int f_open(const olist* o) {
  // Only the status "unknown" is ever asked for: no test of existence and
  // nothing emptied beforehand.
  begin_statement(o->unit, false, false);
  if (o->unit < 0 || o->unit > kMaxUnit) f__fatal(101, "open");
  Unit& u = unit(o->unit);
  if (u.connected) disconnect(u);
  std::size_t size = trimmed_length(o->file, o->filelen);
  try {
    u.name.assign(o->file, size);
  } catch (const std::bad_alloc&) {
    f__fatal(113, "no space");
  }
  u.has_name = true;
  if (size == 0) f__fatal(107, "open");
  int error = 0;
  int fd = open_by_modes(u.name.c_str(), &u.permission, &error);
  if (fd < 0) f__fatal(error, "open");
  u.fd = fd;
  u.writing = u.permission == Permission::write_only;
  u.seekable = os::is_regular(fd);
  u.out.attach_file(fd, u.seekable);
  u.connected = true;
  end_statement();
  return 0;
}

int f_clos(const cllist* c) {
  begin_statement(c->unit, false, false);
  if (c->unit >= 0 && c->unit <= kMaxUnit && unit(c->unit).connected) disconnect(unit(c->unit));
  end_statement();
  return 0;
}

void f_exit() {
  static bool done = false;
  if (done) return;
  done = true;
  exiting = 1;
  io_state().in_statement = false;
  for (int number = 0; number <= kMaxUnit; ++number) {
    Unit& u = unit(number);
    if (u.connected) disconnect(u);
  }
}
