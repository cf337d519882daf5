// The program entry: seeds the random source from the clock and runs the demo, reporting any failure.
#include <chrono>
#include <cstdint>

#include "application.h"
#include "failure_report.h"
#include "random_source.h"

namespace {

std::uint32_t clockSeed()
{
    const auto ticks = static_cast<std::uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
    return static_cast<std::uint32_t>(ticks ^ (ticks >> 32));
}

}  // namespace

int main()
{
    return q47::runReportingFailures([] {
        q47::Mt19937Source random(clockSeed());
        return q47::main(random);
    });
}
