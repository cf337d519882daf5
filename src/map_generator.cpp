// Builds the strip map: floor and wall lines, bays in the walls, tall runs, then the large blocks.
// Every draw is taken in one fixed order, so one sequence of draws always gives the same map.
#include "map_generator.h"

#include <limits>
#include <stdexcept>
#include <string>

namespace q47 {

namespace {

constexpr std::uint8_t WALL_CODE_EVEN = 1;
constexpr std::uint8_t WALL_CODE_ODD = 2;
constexpr std::uint8_t RIGHT_BAY_HEAD = 4;  // standing tile closing a right bay on its first row
constexpr std::uint8_t LEFT_BAY_FOOT = 5;   // standing tile closing a left bay on its last row
constexpr std::uint8_t TALL_PILLAR = 0x21;  // tallTiles entry 0, on the last row of a tall run

constexpr std::uint8_t WALL_BLOCK_ANCHOR = 0x4E;
constexpr std::uint8_t INNER_BLOCK_ANCHOR = 0x50;
constexpr std::uint8_t LEFT_END_ANCHOR_OPEN = 0x45;    // choice cell empty
constexpr std::uint8_t LEFT_END_ANCHOR_CLOSED = 0x48;  // choice cell holds an object
constexpr std::uint8_t RIGHT_END_ANCHOR_OPEN = 0x47;
constexpr std::uint8_t RIGHT_END_ANCHOR_CLOSED = 0x46;

constexpr int FIRST_CANDIDATE_ROW = 4;
constexpr int ROWS_KEPT_AT_END = 4;  // candidate rows stop this many rows before the last one
constexpr int SIDE_STRUCTURE_STRIDE = 8;
constexpr int BAY_ROWS = 4;  // open rows between a side structure's two end rows
constexpr int TALL_RUN_STRIDE = 4;
constexpr int BLOCK_SIZE = 3;
constexpr std::uint32_t CANDIDATE_MASK = 0x1F;
constexpr int INNER_FIRST_COLUMN = 3;
constexpr int INNER_COLUMN_MARGIN = 8;  // the inner block's centre is drawn from columns - 8 choices

int lastColumn(const Map& map) { return map.columns() - 1; }
int rightWallColumn(const Map& map) { return map.columns() - 2; }
int rightInnerColumn(const Map& map) { return map.columns() - 3; }

// Both the bay and the block passes wrap their row arithmetic around the ring.
Cell& cell(Map& map, int row, int column) { return map.at(map.ringRow(row), column); }
std::uint8_t objectAt(const Map& map, int row, int column)
{
    return map.at(map.ringRow(row), column).object;
}

bool isLastCandidate(const Map& map, int row) { return row >= map.rows() - ROWS_KEPT_AT_END; }

std::uint32_t candidateValue(RandomSource& random) { return random.draw() & CANDIDATE_MASK; }

void checkGeneratedSize(int columns, int rows)
{
    if (columns < MIN_GENERATED_COLUMNS || rows < MIN_GENERATED_ROWS) {
        throw std::invalid_argument("generateMap: a map needs at least " +
                                    std::to_string(MIN_GENERATED_COLUMNS) + " columns and " +
                                    std::to_string(MIN_GENERATED_ROWS) + " rows, got " +
                                    std::to_string(columns) + " columns and " + std::to_string(rows) +
                                    " rows");
    }
    // The row counters step up to eight rows past a candidate, so that must stay within int.
    constexpr int largestSide = std::numeric_limits<int>::max() - SIDE_STRUCTURE_STRIDE;
    if (columns > largestSide || rows > largestSide) {
        throw std::invalid_argument("generateMap: " + std::to_string(columns) + " columns by " +
                                    std::to_string(rows) + " rows is too large");
    }
}

// --- base fill -------------------------------------------------------------------------------

bool isWallColumn(const Map& map, int column) { return column == 1 || column == rightWallColumn(map); }
bool isEdgeColumn(const Map& map, int column) { return column == 0 || column == lastColumn(map); }

// Ground is drawn before the wall, cell by cell in column order.
void fillBaseCell(Map& map, int row, int column, RandomSource& random)
{
    Cell& target = map.at(row, column);
    if (isEdgeColumn(map, column)) {
        target.ground = NONE;
        target.object = NONE;
        return;
    }
    target.ground = randomGround(random);
    target.object = isWallColumn(map, column) ? randomWall(random) : NONE;
}

// --- large blocks ----------------------------------------------------------------------------

// A block is three rows from topRow by three columns from leftColumn; its anchor, which carries the
// picture, is always the cell with the largest row and the largest column.
void writeBlock(Map& map, int topRow, int leftColumn, std::uint8_t anchor)
{
    for (int row = topRow; row < topRow + BLOCK_SIZE; ++row) {
        for (int column = leftColumn; column < leftColumn + BLOCK_SIZE; ++column) {
            cell(map, row, column).object = OCCUPIED_LARGE;
        }
    }
    cell(map, topRow + BLOCK_SIZE - 1, leftColumn + BLOCK_SIZE - 1).object = anchor;
}

bool isBlockFree(const Map& map, int topRow, int leftColumn)
{
    for (int row = topRow; row < topRow + BLOCK_SIZE; ++row) {
        for (int column = leftColumn; column < leftColumn + BLOCK_SIZE; ++column) {
            if (!detail::isFree(objectAt(map, row, column))) {
                return false;
            }
        }
    }
    return true;
}

// A wall block replaces three rows of wall line with the empty edge beside it. It looks at those two
// columns only and takes its third column whatever it holds: on the left that may be the corner cell
// of an inner block centred on column 3 one row higher, which both blocks then cover.
bool tryWallBlock(Map& map, int row, int edgeColumn, int wallColumn, int leftColumn)
{
    for (int x = row; x < row + BLOCK_SIZE; ++x) {
        if (!detail::isWallCode(objectAt(map, x, wallColumn)) || objectAt(map, x, edgeColumn) != NONE) {
            return false;
        }
    }
    writeBlock(map, row, leftColumn, WALL_BLOCK_ANCHOR);
    return true;
}

// An end block stands on a row whose edge cell holds an object, that is an end row of a bay.
bool tryEndBlock(Map& map, int centreRow, int edgeColumn, int wallColumn, int leftColumn,
                 std::uint8_t openAnchor, std::uint8_t closedAnchor)
{
    const int topRow = centreRow - 1;
    if (objectAt(map, centreRow, edgeColumn) == NONE || !isBlockFree(map, topRow, leftColumn)) {
        return false;
    }
    const bool choiceIsEmpty = objectAt(map, centreRow + 1, wallColumn) == NONE;
    writeBlock(map, topRow, leftColumn, choiceIsEmpty ? openAnchor : closedAnchor);
    return true;
}

bool triesLeftWallBlock(std::uint32_t v) { return v < 4 || v == 5; }
bool triesRightWallBlock(std::uint32_t v) { return v < 4 || v == 6; }
bool triesEndBlocks(std::uint32_t v) { return (v & 1u) != 0; }
bool triesInnerBlock(std::uint32_t v) { return v == CANDIDATE_MASK; }

int innerBlockColumn(const Map& map, std::uint32_t u)
{
    const auto choices = static_cast<std::uint32_t>(map.columns() - INNER_COLUMN_MARGIN);
    return INNER_FIRST_COLUMN + static_cast<int>(u % choices);
}

void placeBlocksInRow(Map& map, int row, RandomSource& random)
{
    const std::uint32_t v = candidateValue(random);
    if (triesLeftWallBlock(v)) {
        detail::tryLeftWallBlock(map, row);
    }
    if (triesRightWallBlock(v)) {
        detail::tryRightWallBlock(map, row);
    }
    if (triesEndBlocks(v)) {
        detail::tryLeftEndBlock(map, row);
        detail::tryRightEndBlock(map, row);
    }
    if (triesInnerBlock(v)) {
        detail::tryInnerBlock(map, row, innerBlockColumn(map, random.draw()));
    }
}

}  // namespace

namespace detail {

bool isWallCode(std::uint8_t object) { return object == WALL_CODE_EVEN || object == WALL_CODE_ODD; }

// NONE wraps to 0, standing codes stay below 0x1F; every tall and large code lands in 0x20..0x7F.
bool isFree(std::uint8_t object)
{
    return ((static_cast<unsigned>(object) + 1u) & 0xFFu & (TALL_BIT | LARGE_BIT)) == 0;
}

void baseFill(Map& map, RandomSource& random)
{
    for (int row = 0; row < map.rows(); ++row) {
        for (int column = 0; column < map.columns(); ++column) {
            fillBaseCell(map, row, column, random);
        }
    }
}

// The bay opens column 1 on four rows and lets the floor reach column 0 there; the order of writes
// is the order of draws.
void buildLeftSideStructure(Map& map, int row, RandomSource& random)
{
    cell(map, row, 0).object = randomWall(random);
    cell(map, row, 1).object = randomWall(random);
    for (int bayRow = row + 1; bayRow <= row + BAY_ROWS; ++bayRow) {
        cell(map, bayRow, 0).ground = randomGround(random);
        cell(map, bayRow, 1).object = NONE;
    }
    const int footRow = row + BAY_ROWS + 1;
    cell(map, footRow, 0).object = randomWall(random);
    cell(map, footRow, 1).object = LEFT_BAY_FOOT;
}

void buildRightSideStructure(Map& map, int row, RandomSource& random)
{
    const int wallColumn = rightWallColumn(map);
    const int edgeColumn = lastColumn(map);
    cell(map, row, wallColumn).object = RIGHT_BAY_HEAD;
    cell(map, row, edgeColumn).object = randomWall(random);
    for (int bayRow = row + 1; bayRow <= row + BAY_ROWS; ++bayRow) {
        cell(map, bayRow, wallColumn).object = NONE;
        cell(map, bayRow, edgeColumn).ground = randomGround(random);
    }
    const int footRow = row + BAY_ROWS + 1;
    cell(map, footRow, wallColumn).object = randomWall(random);
    cell(map, footRow, edgeColumn).object = randomWall(random);
}

void buildSideStructures(Map& map, RandomSource& random)
{
    int row = FIRST_CANDIDATE_ROW;
    while (!isLastCandidate(map, row)) {
        const std::uint32_t v = candidateValue(random);
        if (v == 0 || v == 1) {
            buildLeftSideStructure(map, row, random);
        }
        if (v == 0 || v == 2) {
            buildRightSideStructure(map, row, random);
        }
        row += v <= 2 ? SIDE_STRUCTURE_STRIDE : 1;
    }
}

void placeTallRuns(Map& map, RandomSource& random)
{
    int row = FIRST_CANDIDATE_ROW;
    while (!isLastCandidate(map, row)) {
        if (candidateValue(random) != 0) {
            ++row;
            continue;
        }
        if (isWallCode(objectAt(map, row, 1)) && isWallCode(objectAt(map, row + 1, 1)) &&
            isWallCode(objectAt(map, row + 2, 1))) {
            cell(map, row, 1).object = OCCUPIED_TALL;
            cell(map, row + 1, 1).object = OCCUPIED_TALL;
            cell(map, row + 2, 1).object = TALL_PILLAR;
            row += TALL_RUN_STRIDE;
        } else {
            ++row;
        }
    }
}

bool tryLeftWallBlock(Map& map, int row) { return tryWallBlock(map, row, 0, 1, 0); }

bool tryRightWallBlock(Map& map, int row)
{
    return tryWallBlock(map, row, lastColumn(map), rightWallColumn(map), rightInnerColumn(map));
}

bool tryLeftEndBlock(Map& map, int centreRow)
{
    return tryEndBlock(map, centreRow, 0, 1, 0, LEFT_END_ANCHOR_OPEN, LEFT_END_ANCHOR_CLOSED);
}

bool tryRightEndBlock(Map& map, int centreRow)
{
    return tryEndBlock(map, centreRow, lastColumn(map), rightWallColumn(map), rightInnerColumn(map),
                       RIGHT_END_ANCHOR_OPEN, RIGHT_END_ANCHOR_CLOSED);
}

bool tryInnerBlock(Map& map, int centreRow, int centreColumn)
{
    if (!isBlockFree(map, centreRow - 1, centreColumn - 1)) {
        return false;
    }
    writeBlock(map, centreRow - 1, centreColumn - 1, INNER_BLOCK_ANCHOR);
    return true;
}

// Every row costs one draw, and one more when it tries an inner block; placing a block skips no rows.
void placeLargeBlocks(Map& map, RandomSource& random)
{
    for (int row = FIRST_CANDIDATE_ROW; !isLastCandidate(map, row); ++row) {
        placeBlocksInRow(map, row, random);
    }
}

}  // namespace detail

Map generateMap(int columns, int rows, RandomSource& random)
{
    checkGeneratedSize(columns, rows);
    Map map(columns, rows);
    detail::baseFill(map, random);
    detail::buildSideStructures(map, random);
    detail::placeTallRuns(map, random);
    detail::placeLargeBlocks(map, random);
    return map;
}

}  // namespace q47
