// units.h: the table of units and their connections.
#pragma once

#include <string>

#include "stream.h"

namespace textio {

constexpr int kMaxUnit = 99;
constexpr int kStderrUnit = 0, kStdinUnit = 5, kStdoutUnit = 6;

// What an OPEN allowed: the first of the modes "r+", "r", "w" that worked.
enum class Permission { update, read_only, write_only };

struct Unit {
  bool connected = false;
  bool has_name = false;   // a named file; the console units have none
  std::string name;        // the file name without trailing blanks
  int fd = -1;
  Permission permission = Permission::update;
  bool writing = false;    // the writing mark: switched to writing
  bool seekable = false;   // a regular file: the only kind that is cut
  OutStream out;           // writing units
  InStream in;             // unit 5
};

// Unit `number`, 0 ... kMaxUnit.
Unit& unit(int number);

// The unit of a data-transfer statement: it must be connected (else code
// 101 in `context` for a number out of range, 114 when not connected).
Unit& connected_unit(int number, const char* context);

// Switches `u` to writing before its first write statement: a read-only
// connection is reopened for update; when that fails the run ends with code
// 127 in `context`.
void switch_to_writing(Unit& u, const char* context);

// Hands one whole record (with its line feed) to the unit's stream. A
// failed write of a named file ends the run in the context "write"; the
// console streams' failures are not detected.
void put_record(Unit& u, const char* record, std::size_t size);

// Flushes standard output; done before every read from standard input.
void flush_stdout();

// Signal-safe last effort for an abnormal end from a signal handler: writes
// out the whole records buffered for every named file, cuts and closes it.
void emergency_close_all();

}  // namespace textio
