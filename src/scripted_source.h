// Random sources for tools and tests: one that replays a given list of draws, one that counts draws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "random_source.h"

namespace q47 {

// Raised when a ScriptedSource is asked for more draws than it was given.
class DrawsExhausted : public std::runtime_error {
public:
    explicit DrawsExhausted(std::size_t given)
        : std::runtime_error("the draws ran out after " + std::to_string(given) +
                             " draws, before the map was finished"),
          given_(given)
    {
    }
    std::size_t given() const { return given_; }

private:
    std::size_t given_;
};

// Hands out its draws in order, so a test or a draws file fixes every decision of the generator.
class ScriptedSource : public RandomSource {
public:
    explicit ScriptedSource(std::vector<std::uint32_t> draws) : draws_(std::move(draws)) {}

    std::uint32_t draw() override
    {
        if (next_ == draws_.size()) {
            throw DrawsExhausted(draws_.size());
        }
        return draws_[next_++];
    }

    std::size_t drawsTaken() const { return next_; }
    std::size_t drawsLeft() const { return draws_.size() - next_; }

private:
    std::vector<std::uint32_t> draws_;
    std::size_t next_ = 0;
};

// Passes draws through from another source and counts them.
class CountingSource : public RandomSource {
public:
    explicit CountingSource(RandomSource& inner) : inner_(inner) {}

    std::uint32_t draw() override
    {
        ++taken_;
        return inner_.draw();
    }

    std::size_t drawsTaken() const { return taken_; }

private:
    RandomSource& inner_;
    std::size_t taken_ = 0;
};

}  // namespace q47
