// The map grid: rows of two-byte cells (ground code, object code), the code values and the random pickers.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "random_source.h"

namespace q47 {

constexpr int MAP_ROWS = 1024;
constexpr int MAP_COLS = 16;

// Codes shared by both layers and by the object families.
constexpr std::uint8_t NONE = 0xFF;
constexpr std::uint8_t OCCUPIED_TALL = 0x20;   // covered by a tall object drawn from another cell
constexpr std::uint8_t OCCUPIED_LARGE = 0x40;  // covered by a large object drawn from another cell
constexpr std::uint8_t TALL_BIT = 0x20;
constexpr std::uint8_t LARGE_BIT = 0x40;

struct Cell {
    std::uint8_t ground;
    std::uint8_t object;
};
static_assert(sizeof(Cell) == 2, "a cell is exactly its two code bytes");

// Rows form a ring: row(rows()) is row(0). Cells are stored row after row in one block.
class Map {
public:
    Map(int columns, int rows);

    int columns() const { return columns_; }
    int rows() const { return rows_; }

    // The map row that row r names on the ring, for any r (worked in 64 bits so that no sum overflows).
    int ringRow(int r) const
    {
        const long long wrapped = static_cast<long long>(r) % rows_;
        return static_cast<int>(wrapped < 0 ? wrapped + rows_ : wrapped);
    }

    Cell& at(int row, int column) { return cells_[index(row, column)]; }
    const Cell& at(int row, int column) const { return cells_[index(row, column)]; }

    bool operator==(const Map& other) const;

private:
    std::size_t index(int row, int column) const
    {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) +
               static_cast<std::size_t>(column);
    }

    int columns_;
    int rows_;
    std::vector<Cell> cells_;
};

// Ground codes that randomGround picks from, most common first.
extern const std::array<std::uint8_t, 11> groundChoices;

std::uint8_t randomGround(RandomSource& random);  // 1 to 4 draws
std::uint8_t randomWall(RandomSource& random);    // exactly one draw: 1 or 2

}  // namespace q47
