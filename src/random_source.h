// Where map generation takes its random draws from: one unsigned 32-bit value per draw.
#pragma once

#include <cstdint>
#include <random>

namespace q47 {

class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual std::uint32_t draw() = 0;
};

// The program's own source; each draw is one output of the engine.
class Mt19937Source : public RandomSource {
public:
    explicit Mt19937Source(std::uint32_t seed) : engine_(seed) {}
    std::uint32_t draw() override { return static_cast<std::uint32_t>(engine_()); }

private:
    std::mt19937 engine_;
};

}  // namespace q47
