// fatal.cc: the fatal run-time error report.
#include <cstdio>
#include <cstring>

#include "iostate.h"
#include "os.h"
#include "textio.h"
#include "units.h"

namespace textio {

namespace {
FatalHook fatal_hook = nullptr;
}

void set_fatal_hook(FatalHook hook) { fatal_hook = hook; }

namespace {

// The system's own codes 100 ... 132, in order.
const char* const kMessages[] = {
    "error in format",                         // 100
    "illegal unit number",                     // 101
    "formatted io not allowed",                // 102
    "unformatted io not allowed",              // 103
    "direct io not allowed",                   // 104
    "sequential io not allowed",               // 105
    "can't backspace file",                    // 106
    "null file name",                          // 107
    "can't stat file",                         // 108
    "unit not connected",                      // 109
    "off end of record",                       // 110
    "truncation failed in endfile",            // 111
    "incomprehensible list input",             // 112
    "out of free space",                       // 113
    "unit not connected",                      // 114
    "read unexpected character",               // 115
    "bad logical input field",                 // 116
    "bad variable type",                       // 117
    "bad namelist name",                       // 118
    "variable not in namelist",                // 119
    "no end record",                           // 120
    "variable count incorrect",                // 121
    "subscript for scalar variable",           // 122
    "invalid array section",                   // 123
    "substring out of bounds",                 // 124
    "subscript out of bounds",                 // 125
    "can't read file",                         // 126
    "can't write file",                        // 127
    "'new' file exists",                       // 128
    "can't append to file",                    // 129
    "non-positive record number",              // 130
    "I/O started while already doing I/O",     // 131
    "Temporary file name (TMPDIR?) too long",  // 132
};
constexpr int kFirstCode = 100;
constexpr int kCodeCount = sizeof kMessages / sizeof kMessages[0];
static_assert(kCodeCount == 33, "one message per code 100 ... 132");

// The report goes straight to the descriptor of standard error, piece by
// piece; failures to write it are ignored.
void put(const char* text) { os::write_all(2, text, std::strlen(text)); }
void put(const char* text, std::size_t size) { os::write_all(2, text, size); }

void put_first_line(int code, const char* context) {
  put(context);
  put(": ");
  if (code >= 0 && code <= 99) {
    put(os::error_text(code));
  } else if (code == -1) {
    put("end of file");
  } else if (const char* message = system_message(code)) {
    put(message);
  } else {
    // "-2147483648" is 11 characters; 16 leaves room for the terminator.
    char number[16];
    std::snprintf(number, sizeof number, "%d", code);
    put("illegal error number ");
    put(number);
  }
  put("\n");
}

}  // namespace

const char* system_message(int code) {
  if (code < kFirstCode || code >= kFirstCode + kCodeCount) return nullptr;
  return kMessages[code - kFirstCode];
}

}  // namespace textio

using textio::io_state;

void f__fatal(int code, const char* context) {
  sig_poll();  // a stop request recorded before the failure is acted on first
  textio::IoState& state = io_state();
  if (textio::fatal_hook != nullptr) {
    state.in_statement = false;
    textio::fatal_hook(code, context);
  }
  textio::put_first_line(code, context);
  if (state.reporting) {
    // A second fatal error while the first report's files were being
    // closed: give up at once. The abort handler adds "IOT Trap".
    textio::put("(f__fatal already called, aborting.)");
    textio::os::abort_process();
  }
  state.reporting = true;
  if (state.initialized) {
    if (state.current_unit >= 0) {
      // "apparent state: unit -2147483648 " is 33 characters; 48 is ample.
      char line[48];
      std::snprintf(line, sizeof line, "apparent state: unit %d ", state.current_unit);
      textio::put(line);
      const textio::Unit& unit = textio::unit(state.current_unit);
      if (unit.has_name) {
        textio::put("named ");
        textio::put(unit.name.data(), unit.name.size());
        textio::put("\n");
      } else {
        textio::put("(unnamed)\n");
      }
    } else {
      textio::put("apparent state: internal I/O\n");
    }
    if (state.format != nullptr) {
      textio::put("last format: ");
      textio::put(state.format, static_cast<std::size_t>(state.format_length));
      textio::put("\n");
    }
    textio::put(state.reading ? "lately reading" : "lately writing");
    textio::put(" sequential formatted external");
  }
  state.in_statement = false;
  sig_die(" IO", 1);
}
