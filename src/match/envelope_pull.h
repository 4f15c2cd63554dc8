// envelope_pull.h: the weak pull of an iterate toward the seed's envelope
// in time, which keeps D5-95 from drifting over the iterations.
#pragma once

#include <cstddef>
#include <vector>

namespace match {

// Running RMS of `acc` over a centred window of `half` samples each side
// (fewer at the ends).
std::vector<double> running_rms(const std::vector<double>& acc, std::size_t half);

// The exponent of the pull for an iterate whose D5-95 is `duration_ratio`
// times the seed's: kEnvelopePull while the drift is at most kPullDrift,
// then growing in proportion to it, at most 1.
double pull_strength(double duration_ratio);

// Multiplies `acc` less `low` by the ratio of `seed_envelope` (the seed's
// running RMS, as long as `acc`) scaled to the level of `acc`, to the
// envelope of `acc` (running_rms over `half`), both lifted by
// kEnvelopeFloor of its largest value, to the power `strength`: 0 leaves
// the record as it is, 1 gives it the seed's shape in time. `low` (as long
// as `acc`) is a part of the record left as it is. A record or seed of zero
// envelope is left as it is.
void pull_toward_envelope(std::vector<double>& acc, const std::vector<double>& seed_envelope,
                          std::size_t half, double strength, const std::vector<double>& low);

}  // namespace match
