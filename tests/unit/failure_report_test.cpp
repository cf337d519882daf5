// The program entry's failure report, in a child process: the exact line on standard error and the status.
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "failure.h"
#include "failure_report.h"

namespace {

struct ReportCase {
    std::string name;
    std::function<int()> body;
    std::string stderrPattern;  // the whole of standard error
};

TEST(FailureReport, AnythingThatEscapesEndsTheProcessWithOneErrorLineAndStatusOne)
{
    const std::vector<ReportCase> cases{
        {"the program's own failure", [] () -> int { throw q47::Failure("failed tile"); }, "^Error: failed tile\n$"},
        {"a standard exception", [] () -> int { throw std::runtime_error("disk on fire"); },
         "^Error: disk on fire\n$"},
        {"exhausted memory", [] () -> int { throw std::bad_alloc(); }, "^Error: std::bad_alloc\n$"},
        {"something that is no exception class", [] () -> int { throw 42; }, "^Error: unknown failure\n$"},
    };
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const ReportCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EXIT(q47::runReportingFailures(c.body), testing::ExitedWithCode(1), c.stderrPattern);
    }
}

TEST(FailureReport, ANormalEndGivesTheBodysStatus)
{
    EXPECT_EQ(q47::runReportingFailures([] { return 0; }), 0);
    EXPECT_EQ(q47::runReportingFailures([] { return 7; }), 7);
}

}  // namespace
