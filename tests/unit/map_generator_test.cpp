// The generator's passes on small hand-built maps with scripted draws, then whole maps over many seeds.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "map_generator.h"
#include "scripted_source.h"

namespace q47 {
namespace {

using Draws = std::vector<std::uint32_t>;

// Layer 0 is the ground code, layer 1 the object code; the value is the byte after the change.
using Changes = std::map<std::tuple<int, int, int>, std::uint8_t>;

constexpr int GROUND = 0;
constexpr int OBJECT = 1;

Draws operator+(Draws a, const Draws& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Draws repeated(std::uint32_t draw, int count)
{
    return Draws(static_cast<std::size_t>(count > 0 ? count : 0), draw);
}

// The base pattern written by hand: empty edges, `floor` on columns 1 to C - 2, `wall` on 1 and C - 2.
Map basePatternMap(int columns, int rows, std::uint8_t floor = 3, std::uint8_t wall = 2)
{
    Map map(columns, rows);
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            const bool edge = column == 0 || column == columns - 1;
            const bool wallColumn = column == 1 || column == columns - 2;
            map.at(row, column) = Cell{edge ? NONE : floor, wallColumn ? wall : NONE};
        }
    }
    return map;
}

Changes changesBetween(const Map& before, const Map& after)
{
    Changes changes;
    for (int row = 0; row < before.rows(); ++row) {
        for (int column = 0; column < before.columns(); ++column) {
            const Cell& a = before.at(row, column);
            const Cell& b = after.at(row, column);
            if (a.ground != b.ground) {
                changes[{row, column, GROUND}] = b.ground;
            }
            if (a.object != b.object) {
                changes[{row, column, OBJECT}] = b.object;
            }
        }
    }
    return changes;
}

Changes operator+(Changes a, const Changes& b)
{
    a.insert(b.begin(), b.end());
    return a;
}

Changes blockAt(int topRow, int leftColumn, std::uint8_t anchor)
{
    Changes block;
    for (int row = topRow; row < topRow + 3; ++row) {
        for (int column = leftColumn; column < leftColumn + 3; ++column) {
            block[{row, column, OBJECT}] = OCCUPIED_LARGE;
        }
    }
    block[{topRow + 2, leftColumn + 2, OBJECT}] = anchor;
    return block;
}

std::string describe(const Changes& changes)
{
    std::string text;
    for (const auto& [where, value] : changes) {
        text += "(" + std::to_string(std::get<0>(where)) + "," + std::to_string(std::get<1>(where)) +
                (std::get<2>(where) == GROUND ? " ground" : " object") + ")=" + std::to_string(value) +
                " ";
    }
    return text;
}

void expectChanges(const Map& before, const Map& after, const Changes& expected)
{
    const Changes actual = changesBetween(before, after);
    EXPECT_EQ(actual, expected) << "actual:   " << describe(actual) << "\nexpected: " << describe(expected);
}

// ----- base fill --------------------------------------------------------------------------------

TEST(BaseFill, DrawsGroundThenWallCellByCellInColumnOrder)
{
    // One row of 9 columns; each group of draws below is one picker call, in the order they are used.
    const Draws draws = Draws{1, 1, 1, 3} + Draws{1}  // column 1: ground 5, wall 2
                        + Draws{0}                    // column 2: ground 0
                        + Draws{1, 3}                 // column 3: ground 1
                        + Draws{1, 1, 4}              // column 4: ground 6
                        + Draws{1, 1, 1, 10}          // column 5: ground 10
                        + Draws{2}                    // column 6: ground 0
                        + Draws{1, 0} + Draws{0};     // column 7: ground 1, wall 1
    const std::vector<Cell> expected = {{NONE, NONE}, {5, 2},  {0, NONE}, {1, NONE},  {6, NONE},
                                        {10, NONE},   {0, NONE}, {1, 1},  {NONE, NONE}};
    Map map(9, 1);
    ScriptedSource source(draws);
    detail::baseFill(map, source);
    EXPECT_EQ(source.drawsLeft(), 0u);
    for (int column = 0; column < 9; ++column) {
        SCOPED_TRACE("column " + std::to_string(column));
        EXPECT_EQ(map.at(0, column).ground, expected[static_cast<std::size_t>(column)].ground);
        EXPECT_EQ(map.at(0, column).object, expected[static_cast<std::size_t>(column)].object);
    }
}

TEST(BaseFill, EveryRowHasEmptyEdgesFloorAndTwoWallLines)
{
    for (std::uint32_t seed : {1u, 2u, 3u}) {
        Map map(MAP_COLS, MAP_ROWS);
        Mt19937Source source(seed);
        detail::baseFill(map, source);
        for (int row = 0; row < MAP_ROWS; ++row) {
            for (int column = 0; column < MAP_COLS; ++column) {
                const Cell cell = map.at(row, column);
                const bool edge = column == 0 || column == MAP_COLS - 1;
                const bool wall = column == 1 || column == MAP_COLS - 2;
                ASSERT_EQ(cell.ground == NONE, edge) << row << "," << column;
                ASSERT_TRUE(edge || cell.ground <= 10) << row << "," << column;
                ASSERT_EQ(cell.object == 1 || cell.object == 2, wall) << row << "," << column;
                ASSERT_TRUE(wall || cell.object == NONE) << row << "," << column;
            }
        }
    }
}

// ----- side structures --------------------------------------------------------------------------

constexpr int SIDE_COLUMNS = 9;
constexpr int SIDE_ROWS = 24;  // candidates 4 to 19
constexpr std::uint32_t NO_STRUCTURE = 3;
constexpr std::uint32_t LEFT_ONLY = 1;

// The draws of one left structure on the fixture (walls 2, floor 3): every write changes its cell.
const Draws LEFT_STRUCTURE_DRAWS = Draws{1}  // obj(i, 0) = wall 2
                                   + Draws{0}  // obj(i, 1) = wall 1, replacing the old 2
                                   + Draws{0} + Draws{1, 3} + Draws{1, 1, 4} + Draws{1, 1, 1, 3}  // 0 1 6 5
                                   + Draws{1};  // obj(i + 5, 0) = wall 2
const Draws RIGHT_STRUCTURE_DRAWS = Draws{1}  // obj(i, C - 1) = wall 2
                                    + Draws{1, 1, 1, 10} + Draws{0} + Draws{1, 0} + Draws{1, 2, 0}  // 10 0 1 6
                                    + Draws{0}   // obj(i + 5, C - 2) = wall 1
                                    + Draws{1};  // obj(i + 5, C - 1) = wall 2

Changes leftStructureAt(const Map& map, int i)
{
    Changes c;
    const std::uint8_t grounds[] = {0, 1, 6, 5};
    c[{map.ringRow(i), 0, OBJECT}] = 2;
    c[{map.ringRow(i), 1, OBJECT}] = 1;
    for (int k = 1; k <= 4; ++k) {
        c[{map.ringRow(i + k), 0, GROUND}] = grounds[k - 1];
        c[{map.ringRow(i + k), 1, OBJECT}] = NONE;
    }
    c[{map.ringRow(i + 5), 0, OBJECT}] = 2;
    c[{map.ringRow(i + 5), 1, OBJECT}] = 5;
    return c;
}

Changes rightStructureAt(const Map& map, int i)
{
    const int wall = map.columns() - 2;
    const int edge = map.columns() - 1;
    Changes c;
    const std::uint8_t grounds[] = {10, 0, 1, 6};
    c[{i, wall, OBJECT}] = 4;
    c[{i, edge, OBJECT}] = 2;
    for (int k = 1; k <= 4; ++k) {
        c[{i + k, wall, OBJECT}] = NONE;
        c[{i + k, edge, GROUND}] = grounds[k - 1];
    }
    c[{i + 5, wall, OBJECT}] = 1;
    c[{i + 5, edge, OBJECT}] = 2;
    return c;
}

struct SideCase {
    std::string name;
    std::uint32_t draw;
    bool left;
    bool right;
    int nextCandidate;
};

// After the first candidate row, a left structure is placed at the next candidate row; where it
// lands shows which row came next, and the exact count of draws shows nothing else was drawn.
TEST(SideStructures, ValueSelectsTheSidesAndTheNextCandidateRow)
{
    const std::vector<SideCase> cases = {
        {"v = 0: both, left first", 0, true, true, 12},
        {"v = 1: left only", 1, true, false, 12},
        {"v = 2: right only", 2, false, true, 12},
        {"v = 0 from a draw with high bits set", 0xFFFFFFE0, true, true, 12},
        {"v = 2 from 0x22", 0x22, false, true, 12},
        {"v = 3: none", 3, false, false, 5},
        {"v = 31: none", 31, false, false, 5},
        {"v = 16: none", 0xABCDEF10, false, false, 5},
    };
    for (const SideCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Map before = basePatternMap(SIDE_COLUMNS, SIDE_ROWS);
        Map map = before;
        const int afterSecond = c.nextCandidate + 8;
        const Draws draws = Draws{c.draw} + (c.left ? LEFT_STRUCTURE_DRAWS : Draws{}) +
                            (c.right ? RIGHT_STRUCTURE_DRAWS : Draws{}) + Draws{LEFT_ONLY} +
                            LEFT_STRUCTURE_DRAWS + repeated(NO_STRUCTURE, SIDE_ROWS - 4 - afterSecond);
        ScriptedSource source(draws);
        detail::buildSideStructures(map, source);
        EXPECT_EQ(source.drawsLeft(), 0u);
        Changes expected = leftStructureAt(map, c.nextCandidate);
        if (c.left) {
            expected = expected + leftStructureAt(map, 4);
        }
        if (c.right) {
            expected = expected + rightStructureAt(map, 4);
        }
        expectChanges(before, map, expected);
    }
}

TEST(SideStructures, LastCandidateRowIsFourBeforeTheEndAndItsStructureEndsOnRowZero)
{
    constexpr int rows = 16;
    const Map before = basePatternMap(SIDE_COLUMNS, rows);
    Map map = before;
    ScriptedSource source(repeated(NO_STRUCTURE, 7) + Draws{LEFT_ONLY} + LEFT_STRUCTURE_DRAWS);
    detail::buildSideStructures(map, source);
    EXPECT_EQ(source.drawsLeft(), 0u);
    expectChanges(before, map, leftStructureAt(map, rows - 5));
    EXPECT_EQ(map.at(0, 0).object, 2);
    EXPECT_EQ(map.at(0, 1).object, 5);
}

// ----- tall runs --------------------------------------------------------------------------------

constexpr int TALL_ROWS = 16;  // candidates 4 to 11

struct TallCase {
    std::string name;
    std::function<void(Map&)> setup;
    Draws draws;
    std::vector<int> runs;  // first rows of the runs expected
};

TEST(TallRuns, FormOnlyOverThreeWallCellsOfColumnOneAfterAZeroValue)
{
    const auto none = [](Map&) {};
    const std::vector<TallCase> cases = {
        {"run at the first candidate, next candidate four rows on", none, Draws{0} + repeated(1, 4), {4}},
        {"high bits of the draw are ignored", none, Draws{0x7FFFFFE0} + repeated(1, 4), {4}},
        {"non-zero value skips to the following row", none, Draws{1, 0} + repeated(1, 3), {5}},
        {"two runs back to back", none, Draws{0, 0}, {4, 8}},
        {"last candidate row reaches three rows before the end", none, repeated(1, 7) + Draws{0}, {11}},
        {"a cleared wall in the third row blocks it", [](Map& m) { m.at(6, 1).object = NONE; },
         Draws{0} + repeated(1, 3) + Draws{0}, {8}},
        {"standing tile 5 in the first row blocks it", [](Map& m) { m.at(4, 1).object = 5; },
         Draws{0} + repeated(1, 7), {}},
        {"a tall code in the second row blocks it", [](Map& m) { m.at(5, 1).object = 0x21; },
         Draws{0} + repeated(1, 7), {}},
        {"a wall in column C - 2 alone gives nothing", [](Map& m) { m.at(4, 1).object = 4; },
         Draws{0, 1, 1, 1, 1, 1, 1, 1}, {}},
    };
    for (const TallCase& c : cases) {
        SCOPED_TRACE(c.name);
        Map before = basePatternMap(SIDE_COLUMNS, TALL_ROWS);
        c.setup(before);
        Map map = before;
        ScriptedSource source(c.draws);
        detail::placeTallRuns(map, source);
        EXPECT_EQ(source.drawsLeft(), 0u);
        Changes expected;
        for (int row : c.runs) {
            expected[{row, 1, OBJECT}] = OCCUPIED_TALL;
            expected[{row + 1, 1, OBJECT}] = OCCUPIED_TALL;
            expected[{row + 2, 1, OBJECT}] = 0x21;
        }
        expectChanges(before, map, expected);
    }
}

// ----- large blocks -----------------------------------------------------------------------------

constexpr int BLOCK_COLUMNS = 16;
constexpr int BLOCK_ROWS = 16;

TEST(FreeCell, HoldsNoTallOrLargeCode)
{
    const struct {
        std::uint8_t code;
        bool free;
    } cases[] = {
        {NONE, true},  {0x00, true},  {0x01, true},  {0x05, true},  {0x1E, true},
        {0x7F, true},  {0x9E, true},  {0x1F, false}, {0x20, false}, {0x21, false},
        {0x40, false}, {0x4E, false}, {0x50, false}, {0x7E, false}, {0x9F, false},
        {0xFE, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("code " + std::to_string(c.code));
        EXPECT_EQ(detail::isFree(c.code), c.free);
    }
}

struct BlockCase {
    std::string name;
    std::function<void(Map&)> setup;
    std::function<bool(Map&)> attempt;
    Changes expected;  // empty: the try must fail and change nothing
};

// A bay on the left at row 4 (rows 4 to 9) and on the right at row 4, as the side structures leave.
void addBays(Map& map)
{
    const int wall = map.columns() - 2;
    const int edge = map.columns() - 1;
    map.at(4, 0).object = 1;
    map.at(4, edge).object = 2;
    map.at(9, 0).object = 2;
    map.at(9, edge).object = 1;
    map.at(9, 1).object = 5;
    map.at(4, wall).object = 4;
    for (int row = 5; row <= 8; ++row) {
        map.at(row, 1).object = NONE;
        map.at(row, wall).object = NONE;
        map.at(row, 0).ground = 0;
        map.at(row, edge).ground = 0;
    }
}

void alternateWalls(Map& map)
{
    for (int row = 0; row < map.rows(); ++row) {
        map.at(row, 1).object = static_cast<std::uint8_t>(1 + (row & 1));
        map.at(row, map.columns() - 2).object = static_cast<std::uint8_t>(2 - (row & 1));
    }
}

void setObject(Map& map, int row, int column, std::uint8_t code) { map.at(row, column).object = code; }

TEST(LargeBlocks, EachKindWritesItsNineCellsWithTheAnchorLastRowHighestColumn)
{
    const auto plain = [](Map&) {};
    const std::vector<BlockCase> cases = {
        {"left wall block over walls 1 and 2", alternateWalls,
         [](Map& m) { return detail::tryLeftWallBlock(m, 5); }, blockAt(5, 0, 0x4E)},
        {"right wall block, anchor in the edge column", alternateWalls,
         [](Map& m) { return detail::tryRightWallBlock(m, 5); }, blockAt(5, 13, 0x4E)},
        {"left wall block overwrites a standing object in column 2",
         [](Map& m) { setObject(m, 6, 2, 3); }, [](Map& m) { return detail::tryLeftWallBlock(m, 5); },
         blockAt(5, 0, 0x4E)},
        {"left wall block takes column 2 even where another block covers it",
         [](Map& m) { setObject(m, 5, 2, OCCUPIED_LARGE); }, [](Map& m) { return detail::tryLeftWallBlock(m, 5); },
         [] {
             Changes block = blockAt(5, 0, 0x4E);
             block.erase({5, 2, OBJECT});  // already OCCUPIED_LARGE
             return block;
         }()},
        {"left end block on a bay's first row: open choice cell gives 0x45", addBays,
         [](Map& m) { return detail::tryLeftEndBlock(m, 4); }, blockAt(3, 0, 0x45)},
        {"left end block on a bay's last row: closed choice cell gives 0x48, covering tile 5", addBays,
         [](Map& m) { return detail::tryLeftEndBlock(m, 9); }, blockAt(8, 0, 0x48)},
        {"right end block on a bay's first row: open gives 0x47, covering tile 4", addBays,
         [](Map& m) { return detail::tryRightEndBlock(m, 4); }, blockAt(3, 13, 0x47)},
        {"right end block on a bay's last row: closed gives 0x46", addBays,
         [](Map& m) { return detail::tryRightEndBlock(m, 9); }, blockAt(8, 13, 0x46)},
        {"left end block choice cell holding standing 0 counts as an object",
         [](Map& m) {
             addBays(m);
             setObject(m, 5, 1, 0);
         },
         [](Map& m) { return detail::tryLeftEndBlock(m, 4); }, blockAt(3, 0, 0x48)},
        {"inner block", plain, [](Map& m) { return detail::tryInnerBlock(m, 5, 7); }, blockAt(4, 6, 0x50)},
        {"inner block over the free boundary codes 0x1E, 0x7F and 0x9E",
         [](Map& m) {
             setObject(m, 4, 6, 0x1E);
             setObject(m, 5, 7, 0x7F);
             setObject(m, 6, 8, 0x9E);
         },
         [](Map& m) { return detail::tryInnerBlock(m, 5, 7); }, blockAt(4, 6, 0x50)},
        // Failures: each try must leave the map as it was.
        {"left wall block: a cleared wall cell", [](Map& m) { setObject(m, 7, 1, NONE); },
         [](Map& m) { return detail::tryLeftWallBlock(m, 5); }, {}},
        {"left wall block: a tall code in the wall line", [](Map& m) { setObject(m, 6, 1, 0x20); },
         [](Map& m) { return detail::tryLeftWallBlock(m, 5); }, {}},
        {"left wall block: standing tile 5", [](Map& m) { setObject(m, 5, 1, 5); },
         [](Map& m) { return detail::tryLeftWallBlock(m, 5); }, {}},
        {"left wall block: an object in the edge column", [](Map& m) { setObject(m, 6, 0, 1); },
         [](Map& m) { return detail::tryLeftWallBlock(m, 5); }, {}},
        {"right wall block: standing tile 4", [](Map& m) { setObject(m, 5, 14, 4); },
         [](Map& m) { return detail::tryRightWallBlock(m, 5); }, {}},
        {"right wall block: an object in the edge column", [](Map& m) { setObject(m, 7, 15, 2); },
         [](Map& m) { return detail::tryRightWallBlock(m, 5); }, {}},
        {"left end block: empty edge cell", plain, [](Map& m) { return detail::tryLeftEndBlock(m, 5); },
         {}},
        {"left end block: a tall code in its corner",
         [](Map& m) {
             addBays(m);
             setObject(m, 3, 1, 0x21);
         },
         [](Map& m) { return detail::tryLeftEndBlock(m, 4); }, {}},
        {"left end block: code 0x1F in its anchor cell",
         [](Map& m) {
             addBays(m);
             setObject(m, 5, 2, 0x1F);
         },
         [](Map& m) { return detail::tryLeftEndBlock(m, 4); }, {}},
        {"right end block: empty edge cell", plain,
         [](Map& m) { return detail::tryRightEndBlock(m, 5); }, {}},
        {"right end block: part of a large block inside",
         [](Map& m) {
             addBays(m);
             setObject(m, 3, 13, 0x50);
         },
         [](Map& m) { return detail::tryRightEndBlock(m, 4); }, {}},
        {"inner block: 0x9F in a corner", [](Map& m) { setObject(m, 4, 6, 0x9F); },
         [](Map& m) { return detail::tryInnerBlock(m, 5, 7); }, {}},
        {"inner block: 0x7E in the anchor cell", [](Map& m) { setObject(m, 6, 8, 0x7E); },
         [](Map& m) { return detail::tryInnerBlock(m, 5, 7); }, {}},
    };
    for (const BlockCase& c : cases) {
        SCOPED_TRACE(c.name);
        Map before = basePatternMap(BLOCK_COLUMNS, BLOCK_ROWS);
        c.setup(before);
        Map map = before;
        EXPECT_EQ(c.attempt(map), !c.expected.empty());
        expectChanges(before, map, c.expected);
    }
}

// ----- the feature pass -------------------------------------------------------------------------

// Which tries each low-five-bit value makes: LW/RW wall blocks, LE/RE end blocks, IN inner block.
const std::vector<std::pair<std::uint32_t, std::string>> TRIES_BY_VALUE = {
    {0, "LW RW"},       {1, "LW RW LE RE"}, {2, "LW RW"},    {3, "LW RW LE RE"},
    {4, ""},            {5, "LW LE RE"},    {6, "RW"},       {7, "LE RE"},
    {8, ""},            {9, "LE RE"},       {10, ""},        {11, "LE RE"},
    {12, ""},           {13, "LE RE"},      {14, ""},        {15, "LE RE"},
    {16, ""},           {17, "LE RE"},      {18, ""},        {19, "LE RE"},
    {20, ""},           {21, "LE RE"},      {22, ""},        {23, "LE RE"},
    {24, ""},           {25, "LE RE"},      {26, ""},        {27, "LE RE"},
    {28, ""},           {29, "LE RE"},      {30, ""},        {31, "LE RE IN"},
};

bool tries(const std::string& list, const std::string& kind) { return list.find(kind) != std::string::npos; }

constexpr int ONE_ROW_PASS = 9;           // the pass visits row 4 only
constexpr std::uint32_t INNER_U = 4;      // c = 3 + 4 mod 8 = 7
constexpr std::uint32_t HIGH_BITS = 0xA5A5A5A0;

// On the plain pattern only wall and inner blocks can form; with the edge cells of row 4 holding
// walls only end and inner blocks can. So both maps together show every try a value makes.
TEST(FeaturePass, EachValueMakesItsTriesWithOneDrawPerRowAndOneMoreForThirtyOne)
{
    for (const auto& [v, list] : TRIES_BY_VALUE) {
        SCOPED_TRACE("v = " + std::to_string(v) + ", tries: " + list);
        const Draws draws = Draws{HIGH_BITS | v} + (v == 31 ? Draws{INNER_U} : Draws{});
        const Changes inner = tries(list, "IN") ? blockAt(3, 6, 0x50) : Changes{};

        const Map wallBefore = basePatternMap(BLOCK_COLUMNS, ONE_ROW_PASS);
        Map wallMap = wallBefore;
        ScriptedSource wallSource(draws);
        detail::placeLargeBlocks(wallMap, wallSource);
        EXPECT_EQ(wallSource.drawsLeft(), 0u);
        expectChanges(wallBefore, wallMap,
                      (tries(list, "LW") ? blockAt(4, 0, 0x4E) : Changes{}) +
                          (tries(list, "RW") ? blockAt(4, 13, 0x4E) : Changes{}) + inner);

        Map endBefore = basePatternMap(BLOCK_COLUMNS, ONE_ROW_PASS);
        setObject(endBefore, 4, 0, 1);
        setObject(endBefore, 4, 15, 1);
        setObject(endBefore, 5, 1, NONE);
        setObject(endBefore, 5, 14, NONE);
        Map endMap = endBefore;
        ScriptedSource endSource(draws);
        detail::placeLargeBlocks(endMap, endSource);
        EXPECT_EQ(endSource.drawsLeft(), 0u);
        expectChanges(endBefore, endMap,
                      (tries(list, "LE") ? blockAt(3, 0, 0x45) : Changes{}) +
                          (tries(list, "RE") ? blockAt(3, 13, 0x47) : Changes{}) + inner);
    }
}

TEST(FeaturePass, InnerBlockColumnIsThreePlusTheUnsignedRemainder)
{
    const struct {
        int columns;
        std::uint32_t u;
        int centre;
    } cases[] = {
        {16, 0, 3},  {16, 7, 10}, {16, 8, 3}, {16, 0xFFFFFFFF, 10}, {16, 0x80000005, 8},
        {9, 0xFFFFFFFF, 3}, {10, 5, 4},  {17, 0xFFFFFFFF, 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.columns) + " columns, u = " + std::to_string(c.u));
        const Map before = basePatternMap(c.columns, ONE_ROW_PASS);
        Map map = before;
        ScriptedSource source({31, c.u});
        detail::placeLargeBlocks(map, source);
        EXPECT_EQ(source.drawsLeft(), 0u);
        expectChanges(before, map, blockAt(3, c.centre - 1, 0x50));
    }
}

TEST(FeaturePass, ABlockSkipsNoRowsAndEvenAFailedInnerTryCostsTwoDraws)
{
    // Rows 4 to 11: inner blocks at rows 4 and 5 would overlap, so only the first forms, yet every
    // row still takes its two draws; rows 6 to 11 draw values that try nothing.
    const Map before = basePatternMap(BLOCK_COLUMNS, BLOCK_ROWS);
    Map map = before;
    ScriptedSource source(Draws{31, 0, 31, 1} + repeated(4, 6));
    detail::placeLargeBlocks(map, source);
    EXPECT_EQ(source.drawsLeft(), 0u);
    expectChanges(before, map, blockAt(3, 2, 0x50));
}

// An inner block centred on column 3 covers column 2 of the rows below it. A wall block tests only its
// wall and edge columns, so the left one a row further down still forms and covers that cell as well.
TEST(FeaturePass, LeftWallBlockSharesItsThirdColumnWithAnInnerBlockAbove)
{
    const Map before = basePatternMap(BLOCK_COLUMNS, BLOCK_ROWS);
    Map map = before;
    ScriptedSource source(Draws{31, 0} + Draws{0} + Draws{0} + repeated(4, 5));
    detail::placeLargeBlocks(map, source);
    EXPECT_EQ(source.drawsLeft(), 0u);
    // Row 5 places both wall blocks, the left one over the inner block's cell (5, 2); row 6 finds the
    // wall columns taken and places nothing.
    expectChanges(before, map, blockAt(3, 2, 0x50) + blockAt(5, 0, 0x4E) + blockAt(5, 13, 0x4E));
    EXPECT_EQ(map.at(5, 2).object, OCCUPIED_LARGE);
    EXPECT_EQ(map.at(5, 4).object, 0x50);
    EXPECT_EQ(map.at(7, 2).object, 0x4E);
}

std::set<int> changedRows(const Map& before, const Map& after)
{
    std::set<int> rows;
    for (const auto& [where, value] : changesBetween(before, after)) {
        rows.insert(std::get<0>(where));
    }
    return rows;
}

std::set<int> rowRange(int first, int last)
{
    std::set<int> rows;
    for (int row = first; row <= last; ++row) {
        rows.insert(row);
    }
    return rows;
}

TEST(FeaturePass, WallBlocksReachRowRMinus3AndOtherKindsRowsThreeToRMinus4)
{
    // Wall blocks on both sides from row 5 on: 5-7, 8-10, 11-13.
    Map wallBefore = basePatternMap(BLOCK_COLUMNS, BLOCK_ROWS);
    setObject(wallBefore, 4, 1, NONE);
    setObject(wallBefore, 4, 14, NONE);
    Map wallMap = wallBefore;
    ScriptedSource wallSource(repeated(0, 8));
    detail::placeLargeBlocks(wallMap, wallSource);
    EXPECT_EQ(wallSource.drawsLeft(), 0u);
    EXPECT_EQ(changedRows(wallBefore, wallMap), rowRange(5, BLOCK_ROWS - 3));
    EXPECT_EQ(wallMap.at(BLOCK_ROWS - 3, 2).object, 0x4E);

    // Objects in every cell but the edges of row 4: end blocks at rows 5, 8 and 11, inner blocks on
    // column 10 at rows 4, 7 and 10.
    Map busyBefore = basePatternMap(BLOCK_COLUMNS, BLOCK_ROWS);
    for (int row = 0; row < BLOCK_ROWS; ++row) {
        for (int column = 0; column < BLOCK_COLUMNS; ++column) {
            setObject(busyBefore, row, column, 1);
        }
    }
    setObject(busyBefore, 4, 0, NONE);
    setObject(busyBefore, 4, 15, NONE);
    Map busyMap = busyBefore;
    ScriptedSource busySource(repeated(0xFFFFFFFF, 16));
    detail::placeLargeBlocks(busyMap, busySource);
    EXPECT_EQ(busySource.drawsLeft(), 0u);
    EXPECT_EQ(changedRows(busyBefore, busyMap), rowRange(3, BLOCK_ROWS - 4));
    EXPECT_EQ(busyMap.at(BLOCK_ROWS - 4, 2).object, 0x48);
    EXPECT_EQ(busyMap.at(5, 11).object, 0x50);
}

// ----- whole maps -------------------------------------------------------------------------------

constexpr std::uint32_t SEEDS = 300;

struct Stages {
    Map afterBase;
    Map afterSides;
    Map afterTall;
    Map final;
};

Stages generateInStages(int columns, int rows, std::uint32_t seed)
{
    Mt19937Source source(seed);
    Map map(columns, rows);
    detail::baseFill(map, source);
    Stages stages{map, map, map, map};
    detail::buildSideStructures(map, source);
    stages.afterSides = map;
    detail::placeTallRuns(map, source);
    stages.afterTall = map;
    detail::placeLargeBlocks(map, source);
    stages.final = map;
    return stages;
}

std::set<std::uint8_t> allowedObjects(int column, int columns)
{
    std::set<std::uint8_t> allowed = {NONE};
    const auto add = [&allowed](std::initializer_list<std::uint8_t> codes) {
        allowed.insert(codes.begin(), codes.end());
    };
    if (column == 0 || column == columns - 1) add({1, 2, OCCUPIED_LARGE});
    if (column == 1) add({1, 2, 5, OCCUPIED_TALL, 0x21, OCCUPIED_LARGE});
    if (column == columns - 2) add({1, 2, 4, OCCUPIED_LARGE});
    if (column == 2) add({OCCUPIED_LARGE, 0x4E, 0x45, 0x48});
    if (column == columns - 1) add({0x4E, 0x47, 0x46});
    if (column >= 2 && column <= columns - 5) add({OCCUPIED_LARGE});
    if (column >= 4 && column <= columns - 5) add({0x50});
    if (column == columns - 3) add({OCCUPIED_LARGE});
    return allowed;
}

bool isLargeAnchor(std::uint8_t code)
{
    return code != NONE && (code & TALL_BIT) == 0 && (code & LARGE_BIT) != 0 && code != OCCUPIED_LARGE;
}

void expectOnlyCodesGenerationWrites(const Map& map)
{
    for (int column = 0; column < map.columns(); ++column) {
        const std::set<std::uint8_t> allowed = allowedObjects(column, map.columns());
        const bool edge = column == 0 || column == map.columns() - 1;
        for (int row = 0; row < map.rows(); ++row) {
            const Cell cell = map.at(row, column);
            ASSERT_TRUE(allowed.count(cell.object)) << "object " << int(cell.object) << " at " << row << ","
                                                     << column;
            ASSERT_TRUE(cell.ground <= 10 || (edge && cell.ground == NONE))
                << "ground " << int(cell.ground) << " at " << row << "," << column;
        }
    }
}

// The one cell two blocks may both cover: (row, 2), under a left wall block anchored at (row + 2, 2)
// and an inner block centred on column 3 one row higher, anchored at (row, 4).
bool sharedWallBlockCorner(const Map& map, int row, int column)
{
    return column == 2 && row + 2 < map.rows() && map.at(row + 2, 2).object == 0x4E &&
           map.at(row, 4).object == 0x50;
}

// Counts how many blocks and runs cover each cell: each covered cell exactly once, nothing else, but
// for the corner that a left wall block may share with an inner block.
void expectBlocksAndRunsEachOwnTheirCells(const Map& map)
{
    std::vector<int> cover(static_cast<std::size_t>(map.rows() * map.columns()), 0);
    const auto covered = [&](int row, int column) -> int& {
        return cover[static_cast<std::size_t>(row * map.columns() + column)];
    };
    for (int row = 0; row < map.rows(); ++row) {
        for (int column = 0; column < map.columns(); ++column) {
            const std::uint8_t code = map.at(row, column).object;
            if (isLargeAnchor(code)) {
                ASSERT_GE(row, 2);
                ASSERT_GE(column, 2);
                for (int r = row - 2; r <= row; ++r) {
                    for (int c = column - 2; c <= column; ++c) {
                        ++covered(r, c);
                        ASSERT_TRUE((r == row && c == column) || map.at(r, c).object == OCCUPIED_LARGE)
                            << "block anchored at " << row << "," << column << " lacks " << r << "," << c;
                    }
                }
            }
            if (code == 0x21) {
                ASSERT_GE(row, 2);
                for (int r = row - 2; r <= row; ++r) {
                    ++covered(r, column);
                    ASSERT_TRUE(r == row || map.at(r, column).object == OCCUPIED_TALL)
                        << "tall run ending at " << row << "," << column << " lacks " << r;
                }
            }
        }
    }
    for (int row = 0; row < map.rows(); ++row) {
        for (int column = 0; column < map.columns(); ++column) {
            const std::uint8_t code = map.at(row, column).object;
            const bool partOfSomething =
                code == OCCUPIED_LARGE || code == OCCUPIED_TALL || code == 0x21 || isLargeAnchor(code);
            const int expected = !partOfSomething ? 0 : sharedWallBlockCorner(map, row, column) ? 2 : 1;
            ASSERT_EQ(covered(row, column), expected) << "at " << row << "," << column;
        }
    }
}

void expectRowsEqual(const Map& a, const Map& b, const std::set<int>& rows)
{
    for (int row : rows) {
        for (int column = 0; column < a.columns(); ++column) {
            ASSERT_EQ(a.at(row, column).ground, b.at(row, column).ground) << row << "," << column;
            ASSERT_EQ(a.at(row, column).object, b.at(row, column).object) << row << "," << column;
        }
    }
}

void expectGroundsEqual(const Map& a, const Map& b)
{
    for (int row = 0; row < a.rows(); ++row) {
        for (int column = 0; column < a.columns(); ++column) {
            ASSERT_EQ(a.at(row, column).ground, b.at(row, column).ground) << row << "," << column;
        }
    }
}

TEST(GenerateMap, RunsThePassesInOrderWithOneSourceOfDraws)
{
    for (std::uint32_t seed : {0u, 7u, 4294967295u}) {
        Mt19937Source source(seed);
        EXPECT_TRUE(generateMap(MAP_COLS, MAP_ROWS, source) == generateInStages(MAP_COLS, MAP_ROWS, seed).final)
            << "seed " << seed;
    }
}

TEST(GenerateMap, InvariantsHoldOverManySeeds)
{
    std::map<std::uint8_t, long> seen;
    for (std::uint32_t seed = 0; seed < SEEDS; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const Stages stages = generateInStages(MAP_COLS, MAP_ROWS, seed);
        const Map& map = stages.final;
        expectOnlyCodesGenerationWrites(map);
        expectBlocksAndRunsEachOwnTheirCells(map);
        // Bays and tall runs never touch rows 1 to 3; blocks never touch rows 0 to 2 and the last two.
        expectRowsEqual(stages.afterBase, stages.afterTall, {1, 2, 3});
        expectRowsEqual(stages.afterTall, map, {0, 1, 2, MAP_ROWS - 2, MAP_ROWS - 1});
        expectGroundsEqual(stages.afterTall, map);
        expectGroundsEqual(stages.afterSides, stages.afterTall);
        for (int row = 0; row < MAP_ROWS; ++row) {
            for (int column = 0; column < MAP_COLS; ++column) {
                ++seen[map.at(row, column).object];
            }
        }
        if (HasFatalFailure()) {
            return;
        }
    }
    // Every code that generation writes shows up somewhere in this many maps.
    for (std::uint8_t code : {NONE, std::uint8_t{1}, std::uint8_t{2}, std::uint8_t{4}, std::uint8_t{5},
                              OCCUPIED_TALL, std::uint8_t{0x21}, OCCUPIED_LARGE, std::uint8_t{0x45},
                              std::uint8_t{0x46}, std::uint8_t{0x47}, std::uint8_t{0x48}, std::uint8_t{0x4E},
                              std::uint8_t{0x50}}) {
        EXPECT_GT(seen[code], 0) << "code " << int(code);
    }
}

TEST(GenerateMap, SmallestAndOddSizesStayInRange)
{
    const struct {
        int columns;
        int rows;
    } sizes[] = {{9, 9}, {9, 10}, {10, 9}, {9, 17}, {13, 23}, {16, 9}, {40, 64}};
    for (const auto& size : sizes) {
        for (std::uint32_t seed = 0; seed < 40; ++seed) {
            SCOPED_TRACE(std::to_string(size.columns) + "x" + std::to_string(size.rows) + " seed " +
                         std::to_string(seed));
            const Map map = generateInStages(size.columns, size.rows, seed).final;
            ASSERT_EQ(map.columns(), size.columns);
            ASSERT_EQ(map.rows(), size.rows);
            expectOnlyCodesGenerationWrites(map);
            expectBlocksAndRunsEachOwnTheirCells(map);
        }
    }
}

TEST(GenerateMap, RejectsSizesThePassesCannotUse)
{
    const struct {
        int columns;
        int rows;
        const char* message;
    } sizes[] = {
        {8, 1024, "at least 9 columns and 9 rows"}, {16, 8, "at least 9 columns and 9 rows"},
        {0, 0, "at least 9 columns and 9 rows"},    {-16, 1024, "at least 9 columns and 9 rows"},
        {16, -1, "at least 9 columns and 9 rows"},  {INT_MIN, INT_MIN, "at least 9 columns and 9 rows"},
        {16, INT_MAX, "too large"},                 {INT_MAX, 16, "too large"},
    };
    for (const auto& size : sizes) {
        SCOPED_TRACE(std::to_string(size.columns) + "x" + std::to_string(size.rows));
        ScriptedSource source({});
        try {
            generateMap(size.columns, size.rows, source);
            ADD_FAILURE() << "no exception";
        } catch (const std::invalid_argument& error) {
            EXPECT_NE(std::string(error.what()).find(size.message), std::string::npos) << error.what();
        }
        EXPECT_EQ(source.drawsTaken(), 0u);
    }
}

TEST(GenerateMap, ScriptedDrawsRunningOutStopGeneration)
{
    ScriptedSource source(Draws(100, 0));
    EXPECT_THROW(generateMap(MAP_COLS, MAP_ROWS, source), DrawsExhausted);
}

}  // namespace
}  // namespace q47
