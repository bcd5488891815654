// Command-line pieces shared by qmctl day and qmctl timeline: the date and
// zone options and the help text on how a day is read.
#pragma once

#include <string>

#include <CLI/CLI.hpp>

namespace qmctl {

// Accepts "YYYY-MM-DD" of a real date from 1971 to 2037 (ParseCivilDay).
CLI::Validator CivilDayText();

// Adds --tz ZONE to `sub`, storing into `zone` (which must outlive parsing);
// a zone the C library would not read as meant (IsKnownZone) is a usage
// error.
void AddZoneOption(CLI::App& sub, std::string& zone);

// How qmctl day reads a day: zones, clock changes, tracker minutes, output.
extern const char kDayHelp[];

}  // namespace qmctl
