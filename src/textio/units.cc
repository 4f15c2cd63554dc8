// units.cc: the unit table, the switch to writing and record hand-over.
#include "units.h"

#include "iostate.h"
#include "os.h"
#include "textio.h"

namespace textio {

namespace {
// At namespace scope: built before main, so a handler that runs at any
// moment after start-up finds the table whole.
Unit table[kMaxUnit + 1];
}  // namespace

Unit& unit(int number) { return table[number]; }

Unit& connected_unit(int number, const char* context) {
  if (number < 0 || number > kMaxUnit) f__fatal(101, context);
  Unit& u = unit(number);
  if (!u.connected) f__fatal(114, context);
  return u;
}

void switch_to_writing(Unit& u, const char* context) {
  if (u.writing) return;
  if (u.permission == Permission::read_only) {
    // Nothing has been read, so reopening for update keeps the position:
    // the start of the file.
    int err = 0;
    int fd = os::open_file(u.name.c_str(), os::OpenMode::update, &err);
    if (fd < 0) {
      os::close_fd(u.fd);
      u.fd = -1;
      u.out.detach();
      u.connected = false;  // the stream is dropped; the name stays for the report
      f__fatal(127, context);
    }
    os::close_fd(u.fd);
    u.fd = fd;
    u.out.attach_file(fd, u.seekable);
    u.permission = Permission::update;
  }
  u.writing = true;
}

void put_record(Unit& u, const char* record, std::size_t size) {
  int err = u.out.put(record, size);
  if (err != 0 && u.has_name) f__fatal(err, "write");
}

void flush_stdout() { unit(kStdoutUnit).out.flush(); }

void emergency_close_all() {
  for (int number = 0; number <= kMaxUnit; ++number) {
    Unit& u = unit(number);
    if (!u.connected || !u.has_name) continue;
    if (u.writing) u.out.finish_from_handler();
    u.connected = false;
    os::close_fd(u.fd);
  }
}

}  // namespace textio
