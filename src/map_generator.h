// The map generator: a base pass (floor, wall lines, bays, tall runs) and a feature pass (large blocks).
#pragma once

#include "map.h"
#include "random_source.h"

namespace q47 {

// Builds a map of `rows` rows by `columns` columns from the draws of `random`, taken in a fixed order.
// Sizes too small for the passes are rejected with std::invalid_argument.
Map generateMap(int columns, int rows, RandomSource& random);

}  // namespace q47
