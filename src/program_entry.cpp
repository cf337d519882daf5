// The program entry: seeds the random source from the clock, runs the demo, and reports any failure.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>

#include "application.h"
#include "random_source.h"

namespace {

std::uint32_t clockSeed()
{
    const auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    return static_cast<std::uint32_t>(ticks) ^ static_cast<std::uint32_t>(static_cast<unsigned long long>(ticks) >> 32);
}

// One line on standard error, then the process ends at once: no library is shut down on this road.
[[noreturn]] void reportFailure(const char* message)
{
    std::fprintf(stderr, "Error: %.*s\n", static_cast<int>(std::strlen(message)), message);
    std::fflush(stderr);
    std::_Exit(EXIT_FAILURE);
}

}  // namespace

int main()
{
    try {
        q47::Mt19937Source random(clockSeed());
        return q47::main(random);
    } catch (const std::exception& failure) {
        reportFailure(failure.what());
    } catch (...) {
        reportFailure("unknown failure");
    }
}
