// lio.cc: the list-directed statements s_wsle/e_wsle and s_rsle/e_rsle, and
// do_lio, which serves whichever of the two is in progress.
#include "iostate.h"
#include "lread.h"
#include "lwrite.h"
#include "textio.h"
#include "units.h"

namespace textio {
namespace {

ListWriter writer;
ListReader reader;
bool reading_statement = false;

void begin_list_statement(int unit_number, bool reading) {
  begin_statement(unit_number, true, reading);
  io_state().format = kListIo;
  io_state().format_length = 7;
  reading_statement = reading;
}

}  // namespace
}  // namespace textio

using namespace textio;

int s_wsle(const cilist* c) {
  begin_list_statement(c->unit, false);
  Unit& u = connected_unit(c->unit, "list output start");
  switch_to_writing(u, "list output start");
  writer.start(u);
  return 0;
}

int e_wsle() {
  writer.finish();
  end_statement();
  return 0;
}

int s_rsle(const cilist* c) {
  begin_list_statement(c->unit, true);
  Unit& u = connected_unit(c->unit, "read start");
  flush_stdout();  // every prompt shows before the program waits
  reader.start(u.in);
  return 0;
}

int e_rsle() {
  reader.finish();
  end_statement();
  return 0;
}

int do_lio(const integer* type, const integer* count, void* addr, ftnlen length) {
  if (reading_statement) return reader.item(*type, *count, addr, length);
  writer.item(*type, *count, addr, length);
  return 0;
}
