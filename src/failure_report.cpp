// The program entry's handler: whatever escapes the demo becomes one "Error: " line and exit status 1.
#include "failure_report.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>

namespace q47 {

namespace {

// No library is shut down on this road: the process ends here and the system reclaims everything.
[[noreturn]] void reportFailure(const char* message)
{
    std::fprintf(stderr, "Error: %.*s\n", static_cast<int>(std::strlen(message)), message);
    std::fflush(stderr);
    std::_Exit(EXIT_FAILURE);
}

}  // namespace

int runReportingFailures(const std::function<int()>& body)
{
    try {
        return body();
    } catch (const std::exception& failure) {
        reportFailure(failure.what());
    } catch (...) {
        reportFailure("unknown failure");
    }
}

}  // namespace q47
