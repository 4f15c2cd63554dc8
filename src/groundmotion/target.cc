// target.cc: the built-in target spectra and the naming of a target (see
// target.h).
#include "target.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <filesystem>
#include <limits>
#include <map>

#include "motion.h"
#include "synthesis/target_sa.h"
#include "target_file.h"
#include "text.h"

namespace groundmotion {
namespace {

// --- the Japanese spectra ---

// jp-l1 is jp-l2 divided by this.
constexpr double kLevel1Divisor = 5.0;
constexpr double kMinZone = 0.7;
constexpr double kMaxZone = 1.0;
// The simplified surface amplification Gs: type 1 is 1.35 below
// kGroundBend, 0.778 / T up to kGroundCorner and 1.2 beyond; types 2 and 3
// are 1.5 below kGroundCorner, rising as 1.5 T / kGroundCorner up to
// Tu = kGroundCorner gv / 1.5, and gv beyond.
constexpr double kGroundBend = 0.576;
constexpr double kGroundCorner = 0.64;
constexpr double kType1Short = 1.35;
constexpr double kType1Slope = 0.778;
constexpr double kType1Long = 1.2;
constexpr double kSoftShort = 1.5;
constexpr double kGv[] = {0.0, 0.0, 2.025, 2.7};  // by ground type

double soft_ground_tu(int ground) { return kGroundCorner * kGv[ground] / kSoftShort; }

double surface_amplification(int ground, double period) {
  if (ground == 1) {
    if (period < kGroundBend) return kType1Short;
    if (period < kGroundCorner) return kType1Slope / period;
    return kType1Long;
  }
  if (period < kGroundCorner) return kSoftShort;
  if (period < soft_ground_tu(ground)) return kSoftShort * period / kGroundCorner;
  return kGv[ground];
}

double japanese_sa(const JapaneseParameters& p, double period) {
  double sa = synthesis::target_sa(period);
  if (p.level == 1) sa /= kLevel1Divisor;
  sa *= p.zone;
  if (p.ground != 0) sa *= surface_amplification(p.ground, period);
  return sa;
}

// --- the US two-period spectrum, in g ---

constexpr double kMceFactor = 1.5;

double asce7_sa(const Asce7Parameters& p, double period) {
  const double ts = p.sd1 / p.sds;
  const double t0 = 0.2 * ts;
  double sa = 0.0;
  if (period < t0) {
    sa = p.sds * (0.4 + 0.6 * period / t0);
  } else if (period <= ts) {
    sa = p.sds;
  } else if (period <= p.tl) {
    sa = p.sd1 / period;
  } else {
    sa = p.sd1 * p.tl / (period * period);
  }
  return p.mce ? kMceFactor * sa : sa;
}

// --- the European elastic spectrum, in g ---

// S, TB, TC, TD of ground types A to E, for types 1 and 2.
constexpr double kEc8Shape[2][5][4] = {
    {{1.0, 0.15, 0.4, 2.0}, {1.2, 0.15, 0.5, 2.0}, {1.15, 0.20, 0.6, 2.0},
     {1.35, 0.20, 0.8, 2.0}, {1.4, 0.15, 0.5, 2.0}},
    {{1.0, 0.05, 0.25, 1.2}, {1.35, 0.05, 0.25, 1.2}, {1.5, 0.10, 0.25, 1.2},
     {1.8, 0.10, 0.30, 1.2}, {1.6, 0.05, 0.25, 1.2}},
};
constexpr double kMinEta = 0.55;
constexpr double kEc8StandardEnd = 4.0;  // s

double ec8_eta(double damping) {
  return std::max(kMinEta, std::sqrt(10.0 / (5.0 + 100.0 * damping)));
}

double ec8_sa(const Ec8Parameters& p, double period, double damping) {
  const double eta = ec8_eta(damping);
  const double plateau = p.ag * p.soil_factor * eta * 2.5;
  if (period <= p.tb) return p.ag * p.soil_factor * (1.0 + period / p.tb * (2.5 * eta - 1.0));
  if (period <= p.tc) return plateau;
  if (period <= p.td) return plateau * p.tc / period;
  return plateau * p.tc * p.td / (period * period);
}

// --- reading a target's name ---

// The built-in names, before any colon.
const char* const kBuiltIns[] = {"jp-l2", "jp-l1", "asce7", "ec8"};

std::string joined(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words) text += (text.empty() ? "" : ", ") + word;
  return text;
}

// The parameters after the colon: key=value pairs (a bare word has an
// empty value), each key once.
std::map<std::string, std::string> split_parameters(const std::string& given,
                                                    const std::string& text) {
  std::map<std::string, std::string> parameters;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = std::min(text.find(',', start), text.size());
    const std::string item = text.substr(start, end - start);
    const std::size_t equals = item.find('=');
    const std::string key = item.substr(0, equals);
    if (key.empty()) throw TargetError("--target " + printable(given) + ": an empty parameter");
    const std::string value = equals == std::string::npos ? "" : item.substr(equals + 1);
    if (!parameters.emplace(key, value).second) {
      throw TargetError("--target " + printable(given) + ": " + printable(key) + " given twice");
    }
    start = end + 1;
  }
  return parameters;
}

// The parameters of one --target name, each key one of `known`.
class ParameterReader {
 public:
  ParameterReader(const std::string& given, const std::string& text,
                  const std::vector<std::string>& known)
      : given_(given), keys_(joined(known)) {
    if (given.find(':') != std::string::npos) parameters_ = split_parameters(given, text);
    for (const auto& entry : parameters_) {
      if (std::find(known.begin(), known.end(), entry.first) == known.end()) {
        fail("unknown parameter '" + entry.first + "' (" + keys_ + ")");
      }
    }
  }

  bool has(const std::string& key) const { return parameters_.count(key) > 0; }

  // Whether the bare word `key` is given; a value with it is a fault.
  bool flag(const std::string& key) const {
    const auto found = parameters_.find(key);
    if (found == parameters_.end()) return false;
    if (!found->second.empty()) fail(key + " takes no value, got '" + found->second + "'");
    return true;
  }

  // The text of `key`, which must be given with a value.
  std::string text(const std::string& key) const {
    const auto found = parameters_.find(key);
    if (found == parameters_.end()) fail(key + " is missing (" + keys_ + ")");
    if (found->second.empty()) fail(key + " needs a value, as " + key + "=...");
    return found->second;
  }

  // The number of `key`, from `low` to `high` (both included); `range`
  // says so in words.
  double number(const std::string& key, double low, double high, const std::string& range) const {
    const std::string value = text(key);
    double number = 0.0;
    if (!read_decimal(value, number) || number < low || number > high) {
      fail(key + " must be " + range + ", got '" + value + "'");
    }
    return number;
  }

  [[noreturn]] void fail(const std::string& why) const {
    throw TargetError("--target " + printable(given_) + ": " + printable(why));
  }

 private:
  std::string given_;
  std::string keys_;
  std::map<std::string, std::string> parameters_;
};

const double kInfinity = std::numeric_limits<double>::infinity();

// jp-l2 or jp-l1 (`family`) with its parameters; sets `name`.
JapaneseParameters parse_japanese(const std::string& given, const std::string& family,
                                  const std::string& rest, std::string& name) {
  const ParameterReader reader(given, rest, {"z", "ground"});
  JapaneseParameters p;
  p.level = family == "jp-l1" ? 1 : 2;
  std::string parameters;
  if (reader.has("z")) {
    p.zone = reader.number("z", kMinZone, kMaxZone, format("from %g to %.1f", kMinZone, kMaxZone));
    parameters += format(",z=%g", p.zone);
  }
  if (reader.has("ground")) {
    const std::string ground = reader.text("ground");
    if (ground != "1" && ground != "2" && ground != "3") {
      reader.fail("ground must be 1, 2 or 3, got '" + ground + "'");
    }
    p.ground = ground[0] - '0';
    parameters += ",ground=" + ground;
  }
  name = parameters.empty() ? family : family + ":" + parameters.substr(1);
  return p;
}

Asce7Parameters parse_asce7(const std::string& given, const std::string& rest, std::string& name) {
  const ParameterReader reader(given, rest, {"sds", "sd1", "tl", "mce"});
  Asce7Parameters p;
  const std::string in_g = "a number above 0, at most 10 (g)";
  p.sds = reader.number("sds", 0.0, 10.0, in_g);
  p.sd1 = reader.number("sd1", 0.0, 10.0, in_g);
  p.tl = reader.number("tl", 0.0, 100.0, "a number above 0, at most 100 (s)");
  p.mce = reader.flag("mce");
  if (!(p.sds > 0.0 && p.sd1 > 0.0)) reader.fail("sds and sd1 must be above 0");
  if (!(p.sd1 / p.sds < p.tl)) reader.fail("tl must lie above Ts = sd1 / sds");
  name = format("asce7:sds=%g,sd1=%g,tl=%g%s", p.sds, p.sd1, p.tl, p.mce ? ",mce" : "");
  return p;
}

Ec8Parameters parse_ec8(const std::string& given, const std::string& rest, std::string& name) {
  const ParameterReader reader(given, rest, {"type", "ground", "ag"});
  Ec8Parameters p;
  const std::string type = reader.text("type");
  if (type != "1" && type != "2") reader.fail("type must be 1 or 2, got '" + type + "'");
  const std::string ground = reader.text("ground");
  if (ground.size() != 1 || ground[0] < 'A' || ground[0] > 'E') {
    reader.fail("ground must be A, B, C, D or E, got '" + ground + "'");
  }
  p.ag = reader.number("ag", 0.0, 10.0, "a number above 0, at most 10 (g)");
  if (!(p.ag > 0.0)) reader.fail("ag must be above 0");
  p.type = type[0] - '0';
  p.ground = ground[0];
  const double* shape = kEc8Shape[p.type - 1][p.ground - 'A'];
  p.soil_factor = shape[0];
  p.tb = shape[1];
  p.tc = shape[2];
  p.td = shape[3];
  name = format("ec8:type=%d,ground=%c,ag=%g", p.type, p.ground, p.ag);
  return p;
}

bool is_built_in(const std::string& family) {
  return std::find(std::begin(kBuiltIns), std::end(kBuiltIns), family) != std::end(kBuiltIns);
}

}  // namespace

Target::Target() = default;

double damping_factor(double damping) {
  assert(damping > 0.0);
  return 1.5 / (1.0 + 10.0 * damping);
}

Target Target::from_request(const TargetRequest& request) {
  const std::string& given = request.given;
  const std::size_t colon = given.find(':');
  const std::string family = given.substr(0, colon);
  const std::string rest = colon == std::string::npos ? "" : given.substr(colon + 1);
  Target target;
  if (!is_built_in(family)) {
    std::error_code status;
    if (!std::filesystem::exists(given, status)) {
      throw TargetError("--target '" + printable(given) + "' is neither a built-in target (" +
                        joined({std::begin(kBuiltIns), std::end(kBuiltIns)}) + ") nor a file");
    }
    target.family_ = TargetFamily::file;
    target.table_ = read_target_file(given, request.units);
    target.table_.damping = request.file_damping;
    target.name_ = given;
    return target;
  }
  if (!request.units.empty()) {
    throw TargetError("--target-units applies to a target file, not to " + family);
  }
  if (request.file_damping_given) {
    throw TargetError("--target-damping applies to a target file, not to " + family);
  }
  if (family == "asce7") {
    target.family_ = TargetFamily::asce7;
    target.asce7_ = parse_asce7(given, rest, target.name_);
  } else if (family == "ec8") {
    target.family_ = TargetFamily::ec8;
    target.ec8_ = parse_ec8(given, rest, target.name_);
  } else {
    target.family_ = TargetFamily::japanese;
    target.japanese_ = parse_japanese(given, family, rest, target.name_);
  }
  return target;
}

double Target::sa(double period, double damping) const {
  assert(period >= 0.0 && damping > 0.0 && damping < 1.0);
  switch (family_) {
    case TargetFamily::japanese:
      return japanese_sa(japanese_, period) * damping_factor(damping);
    case TargetFamily::asce7:
      assert(damping == defined_damping());
      return asce7_sa(asce7_, period) * kGravity;
    case TargetFamily::ec8:
      return ec8_sa(ec8_, period, damping) * kGravity;
    case TargetFamily::file:
      assert(damping == defined_damping());
      return interpolate_table(table_, period);
  }
  return 0.0;
}

bool Target::scales_with_damping() const {
  return family_ == TargetFamily::japanese || family_ == TargetFamily::ec8;
}

double Target::defined_damping() const {
  return family_ == TargetFamily::file ? table_.damping : kTargetDamping;
}

double Target::shortest_period() const {
  return family_ == TargetFamily::file ? table_.periods.front() : 0.0;
}

double Target::longest_period() const {
  return family_ == TargetFamily::file ? table_.periods.back() : kInfinity;
}

std::vector<double> Target::corner_periods() const {
  std::vector<double> corners;
  switch (family_) {
    case TargetFamily::japanese:
      corners = {synthesis::kPer1, synthesis::kPer2};
      if (japanese_.ground == 1) corners.push_back(kGroundBend);
      if (japanese_.ground > 1) corners.push_back(soft_ground_tu(japanese_.ground));
      break;
    case TargetFamily::asce7:
      corners = {0.2 * asce7_.sd1 / asce7_.sds, asce7_.sd1 / asce7_.sds, asce7_.tl};
      break;
    case TargetFamily::ec8:
      corners = {ec8_.tb, ec8_.tc, ec8_.td};
      break;
    case TargetFamily::file:
      corners = table_.periods;
      break;
  }
  std::sort(corners.begin(), corners.end());
  return corners;
}

std::string Target::description() const {
  switch (family_) {
    case TargetFamily::japanese: {
      std::string text = format("%s, the Japanese level-%d spectrum, zone factor Z = %g, ",
                                name_.c_str(), japanese_.level, japanese_.zone);
      return text + (japanese_.ground == 0
                         ? std::string("on the engineering bedrock")
                         : format("amplified by Gs for surface ground type %d", japanese_.ground));
    }
    case TargetFamily::asce7:
      return name_ + format(", the ASCE 7 two-period design spectrum, SDS = %g g, SD1 = %g g, "
                            "TL = %g s (T0 = %.4g s, Ts = %.4g s)%s",
                            asce7_.sds, asce7_.sd1, asce7_.tl, 0.2 * asce7_.sd1 / asce7_.sds,
                            asce7_.sd1 / asce7_.sds, asce7_.mce ? ", times 1.5 for the MCE" : "");
    case TargetFamily::ec8:
      return name_ + format(", the Eurocode 8 type %d elastic spectrum, ground type %c, "
                            "ag = %g g (S = %g, TB = %g s, TC = %g s, TD = %g s); beyond %g s, "
                            "where the standard stops, the same law continues",
                            ec8_.type, ec8_.ground, ec8_.ag, ec8_.soil_factor, ec8_.tb, ec8_.tc,
                            ec8_.td, kEc8StandardEnd);
    case TargetFamily::file:
      return name_ + format(", a target file of %zu periods from %g s to %g s, Sa in %s, "
                            "interpolated log-log",
                            table_.periods.size(), table_.periods.front(), table_.periods.back(),
                            table_.unit.c_str()) +
             (table_.zero_period_rows > 0 ? "; its zero-period row left out" : "");
  }
  return name_;
}

std::string Target::damping_rule(double damping) const {
  switch (family_) {
    case TargetFamily::japanese:
      return format("scaled by the Japanese rule Fh = 1.5 / (1 + 10 h) = %.6g for h = %g",
                    damping_factor(damping), damping);
    case TargetFamily::ec8:
      return format("scaled by eta = sqrt(10 / (5 + 100 h)), at least %g, = %.6g for h = %g",
                    kMinEta, ec8_eta(damping), damping);
    case TargetFamily::asce7:
      return format("defined for h = %g only; no rule scales it", kTargetDamping);
    case TargetFamily::file:
      return format("given for h = %g (--target-damping); no rule scales a file", table_.damping);
  }
  return "";
}

}  // namespace groundmotion
