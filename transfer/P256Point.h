#pragma once

#include <string>

namespace updater {

// Whether `point`, the 64 bytes X and Y (big-endian), is a point of the curve P-256: both below
// the field's prime and y^2 = x^3 - 3x + b. CNG under Wine imports any 64 bytes but zeros as a
// public key, so a mistyped key would show only as every signature failing.
bool IsP256Point(const std::string& point);

}  // namespace updater
