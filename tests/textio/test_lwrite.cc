// List-directed output: the number text of doubles, the items' leading
// characters and the record-break rule, against exact expected text.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include <unistd.h>

#include "lwrite.h"
#include "units.h"

namespace {

using textio::ListWriter;

// One list item of a test statement.
struct Item {
  integer type;
  integer int_value;
  double double_value;
  std::string text;
};
Item integer_item(integer v) { return {TYINT, v, 0.0, ""}; }
Item double_item(double v) { return {TYDREAL, 0, v, ""}; }
Item text_item(std::string t) { return {TYCHAR, 0, 0.0, std::move(t)}; }

// Runs one write statement into a pipe and returns every byte it wrote.
std::string statement(const std::vector<Item>& items) {
  int fds[2];
  EXPECT_EQ(pipe(fds), 0);
  textio::Unit u;
  u.connected = true;
  u.writing = true;
  u.out.attach(fds[1]);
  ListWriter writer;
  writer.start(u);
  for (const Item& item : items) {
    const integer one = 1;
    if (item.type == TYINT) writer.item(TYINT, one, &item.int_value, 4);
    if (item.type == TYDREAL) writer.item(TYDREAL, one, &item.double_value, 8);
    if (item.type == TYCHAR)
      writer.item(TYCHAR, one, item.text.data(), static_cast<ftnlen>(item.text.size()));
  }
  writer.finish();
  u.out.flush();
  close(fds[1]);
  std::string bytes;
  char buffer[4096];
  ssize_t got;
  while ((got = read(fds[0], buffer, sizeof buffer)) > 0) bytes.append(buffer, static_cast<std::size_t>(got));
  close(fds[0]);
  return bytes;
}

TEST(ListOutput, DoubleTextTable) {
  struct Row {
    double value;
    const char* text;  // the item as appended: blank, sign column, number
  } rows[] = {
      {0.01, "  0.01"},
      {163.84, "  163.84"},
      {4.0, "  4."},  // whole numbers keep their point
      {-2.5, " -2.5"},
      {0.0, "  0."},
      {-0.0, "  0."},  // negative zero has no minus sign
      {1.0 / 3.0, "  0.333333333"},
      {123456789.0, "  123456789."},
      {1234567890.0, "  1.23456789E+09"},  // exponent form from 1e9 on
      {0.00001, "  1.E-05"},                // point inserted before the E
      {15000000000.0, "  1.5E+10"},
      {0.0001, "  0.0001"},  // exponent -4 still fixed
      {2.0 * std::atan(1.0) * 4 / 163.84, "  0.0383495197"},
      {std::numeric_limits<double>::infinity(), "  INF"},
      {-std::numeric_limits<double>::infinity(), " -INF"},
      {std::nan(""), "  NAN"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(statement({double_item(row.value)}), std::string(row.text) + "\n") << row.value;
  }
}

TEST(ListOutput, ItemLeadingCharacters) {
  EXPECT_EQ(statement({}), "\n");  // an empty statement is one line feed
  EXPECT_EQ(statement({text_item("a"), text_item("b")}), " ab\n");
  EXPECT_EQ(statement({integer_item(16384)}), " 16384\n");
  EXPECT_EQ(statement({integer_item(-7)}), " -7\n");
  EXPECT_EQ(statement({integer_item(0)}), " 0\n");
  EXPECT_EQ(statement({integer_item(-2147483647 - 1)}), " -2147483648\n");
  EXPECT_EQ(statement({text_item("x "), integer_item(1)}), " x  1\n");  // trailing blanks kept
}

TEST(ListOutput, DialogueRecords) {
  double pi = std::atan(1.0) * 4;
  EXPECT_EQ(statement({text_item(" dt,nt,duration(=dt*nt)="), double_item(0.01), integer_item(16384),
                       double_item(16384 * 0.01)}),
            "  dt,nt,duration(=dt*nt)=  0.01 16384  163.84\n");
  EXPECT_EQ(statement({text_item(" DUR,DOM,NOM,EOM="), double_item(163.84), double_item((pi + pi) / 163.84),
                       integer_item(8192), double_item(pi / 0.01)}),
            "  DUR,DOM,NOM,EOM=  163.84  0.0383495197 8192  314.159265\n");
  EXPECT_EQ(statement({text_item("  tb,tc,td,te(s)="), double_item(4.0), double_item(35.0), double_item(80.0),
                       double_item(163.84)}),
            "   tb,tc,td,te(s)=  4.  35.  80.  163.84\n");
  EXPECT_EQ(statement({text_item("time(sec),seed-Acc(gal)")}), " time(sec),seed-Acc(gal)\n");
}

TEST(ListOutput, RecordBreakRule) {
  // Twelve doubles of 8 characters: nine fit below 80 (72), the rest follow.
  std::vector<Item> twelve(12, double_item(163.84));
  std::string nine, three;
  for (int n = 0; n < 9; ++n) nine += "  163.84";
  for (int n = 0; n < 3; ++n) three += "  163.84";
  EXPECT_EQ(statement(twelve), nine + "\n" + three + "\n");

  // An integer counts only its digits: 78 + 1 < 80, so the line grows to 81.
  std::string text77(77, 'x');  // with the record's leading blank: 78
  EXPECT_EQ(statement({text_item(text77), integer_item(-5)}), " " + text77 + " -5\n");

  // A double counts its whole text: 73 + 6 = 79 fits, 74 + 6 = 80 breaks.
  std::string text72(72, 'y'), text73(73, 'y');
  EXPECT_EQ(statement({text_item(text72), double_item(0.01)}), " " + text72 + "  0.01\n");
  EXPECT_EQ(statement({text_item(text73), double_item(0.01)}), " " + text73 + "\n  0.01\n");

  // A text after a break gets its leading blank again.
  std::string forty(40, 'z');
  EXPECT_EQ(statement({text_item(forty), text_item(forty)}), " " + forty + "\n " + forty + "\n");

  // An item at the start of a record is never preceded by a break.
  std::string long_text(100, 'w');
  EXPECT_EQ(statement({text_item(long_text)}), " " + long_text + "\n");
}

}  // namespace
