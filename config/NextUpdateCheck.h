#pragma once

#include <windows.h>

#include <cstdint>

namespace updater {

class ClientConfig;

// FILETIME values as one number of 100-ns units since 1601 (UTC), so that days can be added.
std::uint64_t FileTimeValue(const FILETIME& time);
FILETIME ToFileTime(std::uint64_t value);

// now + days, saturated so that a huge frequency cannot wrap around into the past.
std::uint64_t NextCheckTime(std::uint64_t now, int days);

// The random delay added to an automatic check `days` ahead, in FILETIME units: `random` spread
// evenly over a tenth of the period, at most a day, so that the machines of one publisher do not
// all arrive at once.
std::uint64_t CheckSpread(int days, std::uint32_t random);

// The system time in UTC as a FILETIME value.
std::uint64_t CurrentFileTime();

// Writes NextUpdateCheck = now + days; a failed write only means the next start checks again.
void ScheduleNextCheck(const ClientConfig& config, int days);

// As ScheduleNextCheck, later by CheckSpread of a number from the system's random source (by
// nothing when the source fails): for the automatic schedule only, where no person chose a time.
void ScheduleSpreadCheck(const ClientConfig& config, int days);

}  // namespace updater
