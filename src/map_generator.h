// The map generator: a base pass (floor, wall lines, bays, tall runs) and a feature pass (large blocks).
#pragma once

#include <cstdint>

#include "map.h"
#include "random_source.h"

namespace q47 {

// The smallest map the passes fit in: the feature pass draws the inner block's column modulo
// columns - 8, and the bay and block loops start on row 4 and stop four rows before the end.
constexpr int MIN_GENERATED_COLUMNS = 9;
constexpr int MIN_GENERATED_ROWS = 9;

// Builds a map of `rows` rows by `columns` columns from the draws of `random`, taken in a fixed order.
// Sizes too small for the passes are rejected with std::invalid_argument.
Map generateMap(int columns, int rows, RandomSource& random);

// The passes and block tries that generateMap runs in order, open so that tests can run one of them on
// a hand-built map. They assume a map of at least MIN_GENERATED_COLUMNS x MIN_GENERATED_ROWS and rows
// in the ranges their loops use.
namespace detail {

bool isWallCode(std::uint8_t object);  // 1 or 2
bool isFree(std::uint8_t object);      // holds no tall or large code, so a block may cover it

void baseFill(Map& map, RandomSource& random);
void buildLeftSideStructure(Map& map, int row, RandomSource& random);
void buildRightSideStructure(Map& map, int row, RandomSource& random);
void buildSideStructures(Map& map, RandomSource& random);
void placeTallRuns(Map& map, RandomSource& random);

// Each try either writes all nine cells of its block and returns true, or changes nothing.
bool tryLeftWallBlock(Map& map, int row);
bool tryRightWallBlock(Map& map, int row);
bool tryLeftEndBlock(Map& map, int centreRow);
bool tryRightEndBlock(Map& map, int centreRow);
bool tryInnerBlock(Map& map, int centreRow, int centreColumn);
void placeLargeBlocks(Map& map, RandomSource& random);

}  // namespace detail

}  // namespace q47
