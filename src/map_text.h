// The text forms the tools share: a map as 1024 lines of `gg:oo` cells, and a list of random draws.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <vector>

#include "map.h"

namespace q47 {

// Raised for malformed input; what() says what is wrong, ready to follow "q47-map: ".
class TextFormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One line per map row, from row 0: the row's cells separated by one space, each `gg:oo` in lower-case hex.
void writeMapText(std::ostream& out, const Map& map);

// Reads exactly MAP_ROWS lines of MAP_COLS cells in the form writeMapText gives; any byte values.
// Malformed input raises TextFormatError saying what is wrong and on which line.
Map readMapText(std::istream& in);

// One unsigned 32-bit value, decimal or 0x-prefixed hex, nothing else (no sign, no spaces).
std::uint32_t parseUnsigned32(const std::string& token);

// Unsigned 32-bit values, decimal or 0x-prefixed hex, separated by white space. Safe on any bytes:
// anything else raises TextFormatError naming the value's position.
std::vector<std::uint32_t> parseDraws(const std::string& text);

}  // namespace q47
