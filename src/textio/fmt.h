// fmt.h: record formats and the F and E edit descriptors.
//
// A record format is a parenthesised list such as (F8.2,',',E12.4): Fw.d
// and Ew.d data edit items, quoted literals and parenthesised groups, with
// optional repeat counts. The editing functions write one field of exactly
// w characters into a caller's buffer; they never allocate and never call
// the printf family, so that a record costs a few hundred instructions.
//
// Field rules (no scale factor, no plus-sign mode: positive values carry no
// sign):
//   Fw.d  the magnitude in fixed point with d digits after the point, as
//         "%#.*f" writes it; a minus sign only when that text has a digit
//         other than 0; right-justified in w; when one character too many,
//         a leading 0 is dropped (F4.2 of -0.5 is "-.50"); else w '*'.
//   Ew.d  0.(d digits)E+kk, the digits those of "%#.*E" at precision d-1 and
//         k one more than its exponent; the letter E is left out when
//         |k| >= 100 ("0.1000+101"); the 0 before the point only when there
//         is room; w '*' when even the point, the digits, the exponent and
//         the sign do not fit. Zero of either sign is +0 ("0.0000E+00").
//   Infinities and not-a-numbers: F writes "inf"/"nan" by the F rule (so
//   -inf keeps its minus sign); E writes "INF"/"NAN" right-justified, with a
//   minus sign for -inf and none for a not-a-number; w '*' when it does not
//   fit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace textio::fmt {

// The widest field (and the largest d) the layer edits and the format
// reader accepts. It bounds every scratch buffer of the editors.
constexpr int kMaxWidth = 255;

// Writes exactly `w` characters, the Fw.d field of `value`, at `out`;
// returns out + w. Requires 1 <= w <= kMaxWidth, 0 <= d <= kMaxWidth.
char* edit_f(char* out, double value, int w, int d);

// Writes exactly `w` characters, the Ew.d field of `value`, at `out`;
// returns out + w. Requires 1 <= w <= kMaxWidth, 1 <= d <= kMaxWidth.
char* edit_e(char* out, double value, int w, int d);

namespace detail {
// The general editors, without the shortcut edit_f and edit_e take for the
// record fields F8.2 and E12.4; same contracts. Exposed so that tests can
// hold the two paths against each other.
char* edit_f_general(char* out, double value, int w, int d);
char* edit_e_general(char* out, double value, int w, int d);
}  // namespace detail

// One data edit item of a format.
struct EditItem {
  enum Kind { kF, kE } kind;
  int w;  // 1 ... kMaxWidth
  int d;  // F: 0 ... kMaxWidth; E: 1 ... kMaxWidth
};

// Writes exactly item.w characters, the field of `value` by `item`, at
// `out`; returns out + item.w.
char* edit(char* out, double value, const EditItem& item);

// A parsed record format and the walk of one statement through it.
//
// Accepted text: optional blanks, "(", a list, ")", optional blanks. A list
// is empty or items separated by commas; an item is
//   [r]Fw.d   [r]Ew.d   [r](list)   a literal
// with r a repeat count 1 ... kMaxRepeat, F/E in either case, w and d as
// for the editors (E needs d >= 1). A literal is quoted with ', " or the
// control character 0x02; inside it a doubled delimiter stands for one.
// Blanks outside literals are ignored everywhere, inside numbers too.
// Groups nest at most kMaxDepth deep inside the outer parentheses, and one
// pass through the whole format may write at most kMaxRecordLength
// characters. Anything else is not a format (the caller's "error in
// format", code 100).
//
// A walk never allocates; parse() reuses the storage of the previous parse,
// so parsing the same format again at every statement allocates only once.
class Format {
 public:
  static constexpr int kMaxRepeat = 32767;
  static constexpr int kMaxDepth = 16;
  static constexpr std::size_t kMaxRecordLength = 65536;

  // Parses `text` (NUL-terminated). Returns false, leaving no usable
  // format, when it is not a format.
  bool parse(const char* text);

  // The most characters one record of a statement can receive: one whole
  // pass through the format, every literal and every field of width w. A
  // record buffer of this size (plus the line feed) always suffices.
  std::size_t max_record_length() const { return pass_length_; }

  // True when the format holds at least one F or E item.
  bool has_data_item() const { return has_data_item_; }

  // Starts a statement at the beginning of the format (parse() does too).
  void rewind();

  // What next_item() met.
  enum class Step {
    kItem,         // a data edit item, returned in `item`
    kEndOfRecord,  // the end of the format, before any further data item
    kNoItem,       // nothing: the format holds no data edit item at all
  };

  // Works through the format up to its next data edit item, appending every
  // literal met on the way at `end` (advancing it), and returns kItem with
  // that item. When the end of the format comes first, it returns
  // kEndOfRecord: the literals appended so far belong to the current
  // record, which the caller ends; the walk then stands at the beginning of
  // the format again, and the next call (which gives kItem) writes into the
  // new record. Returns kNoItem, appending nothing, when the format has no
  // data edit item at all.
  Step next_item(char*& end, EditItem& item);

  // Works through the rest of the format at the end of the statement:
  // appends the literals up to the end of the format or up to the next data
  // edit item, whichever comes first.
  void finish(char*& end);

 private:
  // 32 bytes: one pass is at most kMaxRecordLength characters, so every
  // literal offset and length fits in 32 bits.
  struct Node {
    enum Kind { kLiteral, kData, kOpen, kClose } kind;
    int repeat;            // kData, kOpen: the repeat count
    int link;              // kOpen: index of its kClose; kClose: of its kOpen
    std::uint32_t offset;  // kLiteral: where its text starts in literals_
    std::uint32_t length;  // kLiteral: its length
    EditItem item;         // kData
  };

  class Parser;  // the recursive descent of parse(), in fmt.cc

  // True when the walk stands at a data item.
  bool at_data() const;

  // Appends literals at `end` until the walk stands at a data item (true)
  // or at the end of the format (false).
  bool advance_to_data(char*& end);

  std::vector<Node> nodes_;  // the items inside the outer parentheses
  std::string literals_;     // the texts of all literals, undoubled
  std::size_t pass_length_ = 0;
  bool has_data_item_ = false;

  // The walk: the node it stands at, how many repetitions of that data item
  // are already done, and the remaining passes of each open group.
  std::size_t pc_ = 0;
  int data_done_ = 0;
  int depth_ = 0;
  int group_left_[kMaxDepth] = {};
};

}  // namespace textio::fmt
