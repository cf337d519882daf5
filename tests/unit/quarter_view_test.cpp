// What one frame of the quarter view draws, blit by blit: positions, sources, order, scrolling.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "map.h"
#include "quarter_view.h"
#include "torvi_image.h"

namespace {

using q47::Blit;
using q47::SpriteKind;

constexpr std::int32_t INT32_HIGH = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t INT32_LOW = std::numeric_limits<std::int32_t>::min();

// A full-size map with nothing on it, for placing single cells.
q47::Map emptyMap()
{
    q47::Map map(q47::MAP_COLS, q47::MAP_ROWS);
    for (int r = 0; r < q47::MAP_ROWS; ++r) {
        for (int c = 0; c < q47::MAP_COLS; ++c) map.at(r, c) = q47::Cell{q47::NONE, q47::NONE};
    }
    return map;
}

std::vector<Blit> blitsOf(const q47::Map& map, std::int32_t frame, int width = 320, int height = 240)
{
    std::vector<Blit> blits;
    q47::forEachBlit(map, width, height, frame, [&](const Blit& blit) { blits.push_back(blit); });
    return blits;
}

std::string describe(const std::optional<SDL_Rect>& r)
{
    if (!r) return "none";
    return std::to_string(r->x) + "," + std::to_string(r->y) + " " + std::to_string(r->w) + "x" +
           std::to_string(r->h);
}

void expectSameBlit(const Blit& actual, const Blit& expected)
{
    EXPECT_EQ(actual.kind, expected.kind);
    EXPECT_EQ(describe(actual.source), describe(expected.source));
    EXPECT_EQ(actual.x, expected.x);
    EXPECT_EQ(actual.y, expected.y);
}

struct ScrollCase {
    const char* name;
    std::int32_t frame;
    int rowOffset, subX, subY;
};

TEST(QuarterViewScroll, RowOffsetAndSubTileScrollFollowTheFrameCounter)
{
    const std::vector<ScrollCase> cases = {
        {"first frame", 0, 1024, 0, 0},
        {"last frame on row 0", 15, 1024, 15, 7},
        {"first frame one row on", 16, 1023, 0, 0},
        {"frame 37", 37, 1022, 5, 2},
        {"just before the repeat", 16383, 1, 15, 7},
        {"the repeat", 16384, 1024, 0, 0},
        {"-1", -1, 1024, -1, 0},
        {"-3", -3, 1024, -3, -1},
        {"-16", -16, 1025, 0, 0},
        {"-17", -17, 1025, -1, 0},
        {"-16384", -16384, 1024, 0, 0},
        {"-16385", -16385, 1024, -1, 0},
        {"-16400", -16400, 1025, 0, 0},
        {"largest", INT32_HIGH, 1, 15, 7},
        {"most negative", INT32_LOW, 1024, 0, 0},
        {"most negative + 1", INT32_LOW + 1, 2047, -15, -7},
    };
    for (const ScrollCase& c : cases) {
        SCOPED_TRACE(c.name);
        const q47::Scroll scroll = q47::scrollAt(c.frame);
        EXPECT_EQ(scroll.rowOffset, c.rowOffset);
        EXPECT_EQ(scroll.subX, c.subX);
        EXPECT_EQ(scroll.subY, c.subY);
        EXPECT_GE(q47::windowMapRow(0, scroll.rowOffset), 0);
        EXPECT_LE(q47::windowMapRow(q47::VIEW_ROWS - 1, scroll.rowOffset), q47::MAP_ROWS - 1);
    }
}

struct PointCase {
    const char* name;
    int viewRow, column;
    std::int32_t frame;
    int width, height;
    int x, y;
};

TEST(QuarterViewProjection, CellPointsOfTheWorkedExamples)
{
    const std::vector<PointCase> cases = {
        {"frame 0 cell (0, 0)", 0, 0, 0, 320, 240, 304, -88},
        {"frame 37 cell (10, 5)", 10, 5, 37, 320, 240, 219, 34},
        {"one view row down", 1, 0, 0, 320, 240, 288, -80},
        {"one column right", 0, 1, 0, 320, 240, 320, -80},
        {"last cell", 35, 15, 0, 320, 240, 0 + 304 + 240 - 560, -88 + 280 + 120},
        {"640 x 480 origin", 0, 0, 0, 640, 480, 464, 32},
        {"321 x 241 rounds halves down", 0, 0, 0, 321, 241, 304, -88},
        {"1 x 1", 0, 0, 0, 1, 1, 144, -208},
        {"frame -1 is one pixel right", 0, 0, -1, 320, 240, 305, -88},
        {"frame -3 is a pixel up", 0, 0, -3, 320, 240, 307, -89},
    };
    for (const PointCase& c : cases) {
        SCOPED_TRACE(c.name);
        const q47::Point point = q47::cellPoint(c.viewRow, c.column, c.frame, c.width, c.height);
        EXPECT_EQ(point.x, c.x);
        EXPECT_EQ(point.y, c.y);
    }
}

// One cell of the map drawn at a frame: the blits that the frame makes for it.
struct OneCellCase {
    const char* name;
    int mapRow, mapColumn;
    q47::Cell cell;
    std::int32_t frame;
    std::vector<Blit> blits;
};

TEST(QuarterViewBlits, WorkedExamplesOfOneCell)
{
    const std::vector<OneCellCase> cases = {
        {"frame 0 map (0, 0) ground 0", 0, 0, {0, q47::NONE}, 0, {{SpriteKind::Ground, q47::groundRect(0), 304, -88}}},
        {"frame 37 standing at view (10, 5)", 8, 5, {q47::NONE, 0x03}, 37,
         {{SpriteKind::Standing, q47::standingRect(3), 219, -14}}},
        {"frame 37 tall", 8, 5, {q47::NONE, 0x21}, 37, {{SpriteKind::Tall, q47::tallRect(0), 219, -30}}},
        {"frame 37 large index 6", 8, 5, {q47::NONE, 0x47}, 37, {{SpriteKind::Large, q47::largeRect(6), 211, -38}}},
        {"frame 37 large index 4", 8, 5, {q47::NONE, 0x45}, 37, {{SpriteKind::Large, q47::largeRect(4), 203, -38}}},
        {"frame 37 large index 5", 8, 5, {q47::NONE, 0x46}, 37, {{SpriteKind::Large, q47::largeRect(5), 203, -38}}},
        {"frame 15 map (0, 0) in view row 0", 0, 0, {1, q47::NONE}, 15,
         {{SpriteKind::Ground, q47::groundRect(1), 289, -81}}},
        {"frame 16 map (0, 0) in view row 1", 0, 0, {1, q47::NONE}, 16,
         {{SpriteKind::Ground, q47::groundRect(1), 288, -80}}},
        {"frame 16 view row 0 is map row 1023", 1023, 0, {2, q47::NONE}, 16,
         {{SpriteKind::Ground, q47::groundRect(2), 304, -88}}},
        {"frame -16 view row 0 is map row 1", 1, 0, {2, q47::NONE}, -16,
         {{SpriteKind::Ground, q47::groundRect(2), 304, -88}}},
        {"map row 36 is out of the window at frame 0", 36, 0, {0, 0x01}, 0, {}},
        {"map row 1000 is out of the window at frame 0", 1000, 0, {0, 0x01}, 0, {}},
        {"no ground under an object", 20, 7, {q47::NONE, 0x02}, 0,
         {{SpriteKind::Standing, q47::standingRect(2), 304 + 112 - 320, -88 + 160 + 56 - 48}}},
        {"ground then object of one cell", 20, 7, {4, 0x05}, 0,
         {{SpriteKind::Ground, q47::groundRect(4), 96, 128}, {SpriteKind::Standing, q47::standingRect(5), 96, 80}}},
        {"both family bits take the tall branch", 0, 0, {q47::NONE, 0x60}, 0,
         {{SpriteKind::Tall, std::nullopt, 304, -152}}},
    };
    for (const OneCellCase& c : cases) {
        SCOPED_TRACE(c.name);
        q47::Map map = emptyMap();
        map.at(c.mapRow, c.mapColumn) = c.cell;
        const std::vector<Blit> blits = blitsOf(map, c.frame);
        ASSERT_EQ(blits.size(), c.blits.size());
        for (std::size_t k = 0; k < blits.size(); ++k) expectSameBlit(blits[k], c.blits[k]);
    }
}

// What each code should draw, written from the code ranges rather than from the decoding steps.
struct Drawn {
    SpriteKind kind;
    std::optional<SDL_Rect> source;
    int dx, dy;
};

bool within(int code, int low, int high) { return code >= low && code <= high; }

std::optional<Drawn> expectedObject(int o)
{
    if (o == 0xFF || o == 0x20 || o == 0x40) return std::nullopt;
    if (within(o, 0x00, 0x06)) return Drawn{SpriteKind::Standing, q47::standingRect(o), 0, -48};
    if (within(o, 0x21, 0x22)) return Drawn{SpriteKind::Tall, q47::tallRect(o - 0x21), 0, -64};
    if (within(o, 0x41, 0x50)) {
        const bool nearer = o == 0x42 || o == 0x44 || o == 0x47;
        return Drawn{SpriteKind::Large, q47::largeRect(o - 0x41), nearer ? -8 : -16, -72};
    }
    if (within(o, 0x07, 0x1F) || within(o, 0x80, 0x9F)) return Drawn{SpriteKind::Standing, std::nullopt, 0, -48};
    if (within(o, 0x23, 0x3F) || within(o, 0x60, 0x7F) || within(o, 0xA0, 0xBF) || within(o, 0xE0, 0xFE)) {
        return Drawn{SpriteKind::Tall, std::nullopt, 0, -64};
    }
    if (within(o, 0x51, 0x5F) || within(o, 0xC0, 0xDF)) return Drawn{SpriteKind::Large, std::nullopt, -16, -72};
    ADD_FAILURE() << "code " << o << " is in no range";
    return std::nullopt;
}

std::optional<Drawn> expectedGround(int g)
{
    if (g == 0xFF) return std::nullopt;
    if (within(g, 0x00, 0x0B)) return Drawn{SpriteKind::Ground, q47::groundRect(g), 0, 0};
    return Drawn{SpriteKind::Ground, std::nullopt, 0, 0};
}

// Map cell (0, 0) at frame 0 on 320 x 240 has its cell point at (304, -88).
void expectCodeDrawn(const q47::Cell& cell, const std::optional<Drawn>& expected)
{
    q47::Map map = emptyMap();
    map.at(0, 0) = cell;
    const std::vector<Blit> blits = blitsOf(map, 0);
    ASSERT_EQ(blits.size(), expected ? 1u : 0u);
    if (expected) {
        expectSameBlit(blits[0], Blit{expected->kind, expected->source, static_cast<Sint16>(304 + expected->dx),
                                      static_cast<Sint16>(-88 + expected->dy)});
    }
}

TEST(QuarterViewBlits, EveryObjectCode)
{
    int drawn = 0, whole = 0;
    for (int o = 0; o < 256; ++o) {
        SCOPED_TRACE("object code " + std::to_string(o));
        const std::optional<Drawn> expected = expectedObject(o);
        expectCodeDrawn(q47::Cell{q47::NONE, static_cast<std::uint8_t>(o)}, expected);
        drawn += expected ? 1 : 0;
        whole += expected && !expected->source ? 1 : 0;
    }
    EXPECT_EQ(drawn, 253);
    EXPECT_EQ(whole, 253 - 7 - 2 - 16);
}

TEST(QuarterViewBlits, EveryGroundCode)
{
    for (int g = 0; g < 256; ++g) {
        SCOPED_TRACE("ground code " + std::to_string(g));
        expectCodeDrawn(q47::Cell{static_cast<std::uint8_t>(g), q47::NONE}, expectedGround(g));
    }
}

// Ground code from the map row and column, so that each blit tells which map cell it came from.
q47::Map floorMap()
{
    q47::Map map = emptyMap();
    for (int r = 0; r < q47::MAP_ROWS; ++r) {
        for (int c = 0; c < q47::MAP_COLS; ++c) {
            map.at(r, c) = q47::Cell{static_cast<std::uint8_t>((r + c) % 12), static_cast<std::uint8_t>(r % 7)};
        }
    }
    return map;
}

TEST(QuarterViewBlits, CellsGoRowByRowThenColumnByColumnGroundPassFirst)
{
    const q47::Map map = floorMap();
    const std::int32_t frame = 37;  // window starts at map row 1022, so it crosses the ring's seam
    const std::vector<Blit> blits = blitsOf(map, frame);
    constexpr int CELLS = q47::VIEW_ROWS * q47::MAP_COLS;
    ASSERT_EQ(blits.size(), 2u * CELLS);
    for (int k = 0; k < 2 * CELLS; ++k) {
        const bool groundPass = k < CELLS;
        const int i = (k % CELLS) / q47::MAP_COLS;
        const int j = (k % CELLS) % q47::MAP_COLS;
        const int mapRow = (i + q47::MAP_ROWS - 2) % q47::MAP_ROWS;
        SCOPED_TRACE("blit " + std::to_string(k) + ": view cell (" + std::to_string(i) + ", " + std::to_string(j) +
                     "), map row " + std::to_string(mapRow));
        const q47::Point point = q47::cellPoint(i, j, frame, 320, 240);
        const Blit expected = groundPass
                                  ? Blit{SpriteKind::Ground, q47::groundRect((mapRow + j) % 12),
                                         static_cast<Sint16>(point.x), static_cast<Sint16>(point.y)}
                                  : Blit{SpriteKind::Standing, q47::standingRect(mapRow % 7),
                                         static_cast<Sint16>(point.x), static_cast<Sint16>(point.y - 48)};
        expectSameBlit(blits[k], expected);
    }
}

TEST(QuarterViewBlits, AGroundTileNeverFollowsAnObject)
{
    // Objects early in the window and ground only in its last cell: the ground still comes first.
    q47::Map map = emptyMap();
    map.at(0, 0) = q47::Cell{q47::NONE, 0x01};
    map.at(3, 4) = q47::Cell{q47::NONE, 0x41};
    map.at(35, 15) = q47::Cell{7, q47::NONE};
    const std::vector<Blit> blits = blitsOf(map, 0);
    ASSERT_EQ(blits.size(), 3u);
    EXPECT_EQ(blits[0].kind, SpriteKind::Ground);
    EXPECT_EQ(blits[1].kind, SpriteKind::Standing);
    EXPECT_EQ(blits[2].kind, SpriteKind::Large);
}

TEST(QuarterViewBlits, TheWholeSequenceRepeatsEvery16384Frames)
{
    const q47::Map map = floorMap();
    const std::vector<Blit> first = blitsOf(map, 0);
    const std::vector<Blit> again = blitsOf(map, 16384);
    const std::vector<Blit> before = blitsOf(map, -16384);
    ASSERT_EQ(again.size(), first.size());
    ASSERT_EQ(before.size(), first.size());
    for (std::size_t k = 0; k < first.size(); ++k) {
        SCOPED_TRACE("blit " + std::to_string(k));
        expectSameBlit(again[k], first[k]);
        expectSameBlit(before[k], first[k]);
    }
}

TEST(QuarterViewBlits, FrameMinusOneIsFrameZeroOnePixelRight)
{
    const q47::Map map = floorMap();
    const std::vector<Blit> zero = blitsOf(map, 0);
    const std::vector<Blit> minusOne = blitsOf(map, -1);
    ASSERT_EQ(minusOne.size(), zero.size());
    for (std::size_t k = 0; k < zero.size(); ++k) {
        SCOPED_TRACE("blit " + std::to_string(k));
        Blit shifted = zero[k];
        shifted.x = static_cast<Sint16>(shifted.x + 1);
        expectSameBlit(minusOne[k], shifted);
    }
}

// The signed 16-bit destinations must hold every position exactly, up to the largest target.
TEST(QuarterViewBlits, DestinationsAreExactOnTheLargestTargetAtExtremeFrames)
{
    q47::Map map = emptyMap();
    for (int r = 0; r < q47::MAP_ROWS; ++r) {
        map.at(r, 0) = q47::Cell{0, 0x41};
        map.at(r, 15) = q47::Cell{0, 0x41};
    }
    for (const std::int32_t frame : {INT32_LOW, INT32_LOW + 1, -1, INT32_HIGH}) {
        for (const int side : {1, 4096}) {
            SCOPED_TRACE("frame " + std::to_string(frame) + ", side " + std::to_string(side));
            const std::vector<Blit> blits = blitsOf(map, frame, side, side);
            ASSERT_EQ(blits.size(), 4u * q47::VIEW_ROWS);
            for (int i = 0; i < q47::VIEW_ROWS; ++i) {
                const q47::Point left = q47::cellPoint(i, 0, frame, side, side);
                const q47::Point right = q47::cellPoint(i, 15, frame, side, side);
                EXPECT_EQ(blits[2 * i].x, left.x);
                EXPECT_EQ(blits[2 * i + 1].y, right.y);
                EXPECT_EQ(blits[2 * q47::VIEW_ROWS + 2 * i].x, left.x - 16);
                EXPECT_EQ(blits[2 * q47::VIEW_ROWS + 2 * i + 1].y, right.y - 72);
            }
        }
    }
}

}  // namespace
