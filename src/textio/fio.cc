// fio.cc: the formatted write statement s_wsfe, do_fio, e_wsfe.
#include <cstring>
#include <string>

#include "fmt.h"
#include "iostate.h"
#include "textio.h"
#include "units.h"

namespace textio {
namespace {

fmt::Format format;
std::string parsed_text;  // the text `format` was parsed from
bool parsed = false;

// One pass through a format writes at most kMaxRecordLength characters, and
// a pass that reaches the format's end starts a new record, so no record
// holds more; one more for the line feed.
char record[fmt::Format::kMaxRecordLength + 1];
char* record_end = record;
Unit* record_unit = nullptr;

void emit_record() {
  *record_end++ = '\n';
  put_record(*record_unit, record, static_cast<std::size_t>(record_end - record));
  record_end = record;
}

}  // namespace
}  // namespace textio

using namespace textio;

int s_wsfe(const cilist* c) {
  begin_statement(c->unit, true, false);
  IoState& state = io_state();
  const std::size_t length = std::strlen(c->format);
  state.format = c->format;
  state.format_length = static_cast<int>(length);
  Unit& u = connected_unit(c->unit, "write start");
  // The same format text at every statement is parsed once; the length
  // just measured serves the comparison as well.
  const bool same_text = parsed && parsed_text.size() == length &&
                         std::memcmp(parsed_text.data(), c->format, length) == 0;
  if (!same_text) {
    parsed = format.parse(c->format);
    if (!parsed) f__fatal(100, "write start");
    parsed_text.assign(c->format, length);
  } else {
    format.rewind();
  }
  switch_to_writing(u, "write start");
  record_unit = &u;
  record_end = record;
  return 0;
}

int do_fio(const ftnlen* count, void* addr, ftnlen length) {
  const char* element = static_cast<const char*>(addr);
  for (ftnlen n = 0; n < *count; ++n, element += length) {
    double value;
    std::memcpy(&value, element, sizeof value);
    fmt::EditItem item;
    fmt::Format::Step step = format.next_item(record_end, item);
    if (step == fmt::Format::Step::kEndOfRecord) {
      emit_record();  // the format starts over in a new record
      step = format.next_item(record_end, item);
    }
    if (step != fmt::Format::Step::kItem) f__fatal(100, "fmt");
    record_end = fmt::edit(record_end, value, item);
  }
  return 0;
}

int e_wsfe() {
  format.finish(record_end);
  emit_record();
  end_statement();
  io_state().format = nullptr;  // no format is current once the statement ends
  return 0;
}
