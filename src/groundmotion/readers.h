// readers.h: the readers of the record formats, one a file (read_FORMAT.cc),
// and what they share. Internal to the groundmotion library: the programs call
// parse_record (record.h).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "line_reader.h"
#include "record.h"

namespace groundmotion::readers {

// Each reads the rest of `lines` as its format and returns the record in
// the file's own unit, its `unit` and `unit_origin` set (settle_unit),
// with at least 2 samples; throws InputError naming the line on a fault.
Record read_columns(LineReader& lines, const ReadOptions& options);
Record read_at2(LineReader& lines, const ReadOptions& options);
Record read_knet(LineReader& lines, const ReadOptions& options);
Record read_jma(LineReader& lines, const ReadOptions& options);

// The unit `line` names, if any; two different ones are an error naming
// the line.
std::optional<Unit> unit_named_in(const Line& line, const LineReader& lines);

// Sets record.unit and unit_origin from the unit the file names (`named`,
// on line `line`) and options.unit: the file's unit when it names one, and
// an error when options.unit differs from it; options.unit otherwise; gal
// when neither.
void settle_unit(Record& record, std::optional<Unit> named, long line,
                 const ReadOptions& options, const LineReader& lines);

// The fields of `text` separated by runs of blanks.
std::vector<std::string_view> split_blanks(std::string_view text);

// The fields of `text` separated by `separator`, each without its blanks.
std::vector<std::string_view> split_at(std::string_view text, char separator);

// Whether `text` begins with `prefix`, letters compared in any case.
bool starts_with_word(std::string_view text, std::string_view prefix);

// An error when `count` samples are too few (fewer than 2).
void require_samples(std::size_t count, long line, const LineReader& lines);

// An error naming `line` when `count` samples are more than
// options.max_samples (--max-samples lifts the limit).
void limit_samples(std::size_t count, long line, const LineReader& lines,
                   const ReadOptions& options);

// An error naming `line` when `value`, in `unit`, is beyond kMaxAcceleration
// gal in magnitude: values in another unit than they are taken to be
// (--units says which).
void limit_acceleration(double value, Unit unit, long line, const LineReader& lines);

}  // namespace groundmotion::readers
