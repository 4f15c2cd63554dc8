// target.h: the target spectrum a record is judged and matched against.
//
// One of the built-in design spectra, with its parameters, or a table read
// from a file (target_file.h). Spectral accelerations in gal, periods in s,
// h the damping ratio:
//
//   jp-l2  (the default) 320 + 3000 T below 0.16 s, 800 up to 0.64 s,
//          512 / T beyond: the spectrum of the seed program
//          (synthesis/target_sa.h); jp-l1 the same divided by 5. Parameters
//          z=Z (zone factor, 0.7 to 1.0, multiplies) and ground=1|2|3 (the
//          simplified surface amplification Gs). Scaled for damping by the
//          Japanese rule Fh = 1.5 / (1 + 10 h).
//   asce7  sds=SDS,sd1=SD1,tl=TL[,mce]: the two-period design spectrum (SDS
//          and SD1 in g, TL in s), times 1.5 with mce; 5 % damping only.
//   ec8    type=1|2,ground=A..E,ag=AG: the elastic spectrum (ag in g),
//          scaled by eta = sqrt(10 / (5 + 100 h)), at least 0.55; the law
//          beyond TD continues past the standard's end at 4 s.
//   FILE   anything that is not a built-in name: two columns, period or
//          frequency and Sa, log-log interpolation, given for one damping
//          (--target-damping, default 0.05) that no rule scales.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "response.h"

namespace groundmotion {

// The target of a run that names none.
constexpr const char* kDefaultTarget = "jp-l2";

// Damping ratio of the built-in spectra's definition and a file's default.
constexpr double kTargetDamping = kDefaultDamping;

// The Japanese rule: the factor 1.5 / (1 + 10 h) by which a spectrum
// given for 5 % damping is scaled for damping ratio h; exactly 1 at
// h = 0.05. Requires h > 0.
double damping_factor(double damping);

// A target that cannot be used as asked, for a fault of the command line
// (an unknown name or parameter, a value out of range, a unit missing, a
// damping or range the target does not cover). The message is one line.
class TargetError : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

// The kinds of target. The Japanese ones (jp-l2, jp-l1) share their
// criteria set and their damping rule.
enum class TargetFamily { japanese, asce7, ec8, file };

// What the command line says of the target: --target, --target-units and
// --target-damping, the last two for a file only.
struct TargetRequest {
  std::string given = kDefaultTarget;
  std::string units;          // empty: not given
  double file_damping = kTargetDamping;
  bool file_damping_given = false;
};

// The parameters of each built-in, as parsed.
struct JapaneseParameters {
  int level = 2;       // 2 or 1
  double zone = 1.0;   // Z
  int ground = 0;      // 1, 2 or 3; 0 for the engineering bedrock
};
struct Asce7Parameters {
  double sds = 0.0;  // g
  double sd1 = 0.0;  // g
  double tl = 0.0;   // s
  bool mce = false;
};
struct Ec8Parameters {
  int type = 1;
  char ground = 'A';
  double ag = 0.0;  // g
  double soil_factor = 1.0, tb = 0.0, tc = 0.0, td = 0.0;  // S, s
};

// A target read from a file: its points, sorted by period, and what it
// was given in.
struct TargetTable {
  std::string source;           // the file's name as given
  std::vector<double> periods;  // s, ascending, all > 0
  std::vector<double> values;   // Sa, gal
  std::string unit;             // the unit of the file's Sa
  bool by_frequency = false;    // whether its first column was frequency
  std::size_t zero_period_rows = 0;  // rows at period 0, left out
  double damping = kTargetDamping;
};

class Target {
 public:
  // jp-l2.
  Target();

  // The target `request` names. A FILE is read (target_file.h). Throws
  // TargetError for a fault of the command line, InputError (record.h)
  // for a file that cannot be read, naming it and the line.
  static Target from_request(const TargetRequest& request);

  // Sa in gal at `period` >= 0 s for damping ratio `damping` in (0, 1).
  // For a target no rule scales (asce7, a file), `damping` must be
  // defined_damping(). A file's value outside its periods is the value at
  // its nearer end.
  double sa(double period, double damping) const;

  TargetFamily family() const { return family_; }
  // Whether it is a Japanese spectrum (jp-l2, jp-l1, with any parameters).
  bool japanese() const { return family_ == TargetFamily::japanese; }

  // The target as a command line names it, parameters in a fixed order:
  // "jp-l2", "jp-l1:z=0.9,ground=2", "asce7:sds=1,sd1=0.6,tl=8,mce",
  // "ec8:type=1,ground=C,ag=0.3", or the file's name.
  const std::string& name() const { return name_; }

  // One line in words: the name, what it is, and its parameters, e.g.
  // "jp-l1:ground=2, the Japanese level-1 spectrum, zone factor Z = 1,
  // amplified for surface ground type 2".
  std::string description() const;

  // How the target meets `damping`, one line without a final full stop,
  // e.g. "scaled by the Japanese rule Fh = 1.5 / (1 + 10 h) = 1 for
  // h = 0.05".
  std::string damping_rule(double damping) const;

  // Whether a rule scales it to any damping; when not, the one damping
  // ratio it is defined for.
  bool scales_with_damping() const;
  double defined_damping() const;

  // The periods (s) where its law changes, for drawing it: the corner
  // periods of a built-in, the points of a file. Ascending.
  std::vector<double> corner_periods() const;

  // The periods a file covers; 0 and infinity for a built-in.
  double shortest_period() const;
  double longest_period() const;

 private:
  TargetFamily family_ = TargetFamily::japanese;
  std::string name_ = kDefaultTarget;
  JapaneseParameters japanese_;
  Asce7Parameters asce7_;
  Ec8Parameters ec8_;
  TargetTable table_;  // a file's points
};

}  // namespace groundmotion
