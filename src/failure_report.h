// The program entry's handler: whatever escapes the demo becomes one "Error: " line and exit status 1.
#pragma once

#include <functional>

namespace q47 {

// Runs `body` and gives back its exit status. An exception of any type that escapes it ends the process
// at once, with no clean-up: "Error: " and the exception's message on standard error, status 1.
int runReportingFailures(const std::function<int()>& body);

}  // namespace q47
