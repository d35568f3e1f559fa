// The syslog facility and severity names: shown by decoding and used by the
// ID list editor to name the standard levels.
#pragma once

#include <array>

namespace qm {

extern const std::array<const char*, 24> FacilityNames;
extern const std::array<const char*, 8> SeverityNames;

} // namespace qm
