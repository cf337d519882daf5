// The map grid and the two random pickers that the generator fills it from.
#include "map.h"

#include <stdexcept>
#include <string>

namespace q47 {

namespace {

std::size_t cellCount(int columns, int rows)
{
    if (columns < 1 || rows < 1) {
        throw std::invalid_argument("Map: needs at least one column and one row, got " +
                                    std::to_string(columns) + " columns and " + std::to_string(rows) +
                                    " rows");
    }
    return static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows);
}

}  // namespace

// Every byte starts at 0; the base fill overwrites both bytes of every cell.
Map::Map(int columns, int rows)
    : columns_(columns), rows_(rows), cells_(cellCount(columns, rows), Cell{0, 0})
{
}

bool Map::operator==(const Map& other) const
{
    if (columns_ != other.columns_ || rows_ != other.rows_) {
        return false;
    }
    for (std::size_t i = 0; i < cells_.size(); ++i) {
        if (cells_[i].ground != other.cells_[i].ground || cells_[i].object != other.cells_[i].object) {
            return false;
        }
    }
    return true;
}

const std::array<std::uint8_t, 11> groundChoices = {
    0,   // plain floor, by far the most common
    1,
    6,
    5, 7, 3, 2, 4, 8, 9, 10,  // the rare tiles, equally likely once reached
};

// Each step halves, thirds or quarters what is left, so the first entries dominate.
std::uint8_t randomGround(RandomSource& random)
{
    if ((random.draw() & 1u) == 0) {
        return groundChoices[0];
    }
    if (random.draw() % 3u == 0) {
        return groundChoices[1];
    }
    if ((random.draw() & 3u) == 0) {
        return groundChoices[2];
    }
    return groundChoices[random.draw() % groundChoices.size()];
}

std::uint8_t randomWall(RandomSource& random)
{
    return (random.draw() & 1u) == 0 ? 1 : 2;
}

}  // namespace q47
