// The frame counter across its two's complement wrap: the loop's next frame after the largest counter is
// the most negative one, and every map cell keeps moving on the screen as it does between ordinary frames.
//
// The scroll takes frame div 16 and frame div 2 rounded toward zero, so positive and negative counters
// each move a cell one pixel left every frame and one pixel down every second frame, but on opposite
// parities: a positive counter moves it down on the step to an even frame, a negative one on the step to
// an odd frame. The wrap step 2^31 - 1 -> -2^31 (to an even frame) and the next one, -2^31 -> -2^31 + 1
// (to an odd frame), are both steps down; that is the only change there, and no cell jumps.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include "application.h"
#include "map.h"
#include "quarter_view.h"

namespace {

constexpr std::int32_t LARGEST = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t MOST_NEGATIVE = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t PICTURE_PERIOD = q47::ROW_RING * q47::FRAMES_PER_ROW;  // 16384
constexpr int WIDTH = 320;
constexpr int HEIGHT = 240;

// Map rows that stay in the window for every frame from 2^31 - 2 to -2^31 + 2, and columns at both edges.
constexpr int TRACKED_ROWS[] = {1, 2, 17, 34};
constexpr int TRACKED_COLUMNS[] = {0, 7, 15};

// Where map cell (row, column) lies at this frame, if its row is in the window.
std::optional<q47::Point> cellOnScreen(int row, int column, std::int32_t frame)
{
    const q47::Scroll scroll = q47::scrollAt(frame);
    for (int i = 0; i < q47::VIEW_ROWS; ++i) {
        if (q47::windowMapRow(i, scroll.rowOffset) == row) {
            return q47::cellPoint(q47::viewOrigin(WIDTH, HEIGHT), scroll, i, column);
        }
    }
    return std::nullopt;
}

struct Step {
    int dx;
    int dy;
};

// How map cell (row, column) moves on the screen from one frame to the next; the row must be visible in both.
Step stepOf(int row, int column, std::int32_t from)
{
    const std::int32_t to = q47::nextFrame(from);
    const std::optional<q47::Point> before = cellOnScreen(row, column, from);
    const std::optional<q47::Point> after = cellOnScreen(row, column, to);
    EXPECT_TRUE(before && after) << "map row " << row << " left the window between frames " << from << " and "
                                 << to;
    if (!before || !after) return {0, 0};
    return {after->x - before->x, after->y - before->y};
}

TEST(FrameWrap, TheLoopCountsOnFromTheLargestCounterToTheMostNegative)
{
    const std::vector<std::int32_t> expected = {LARGEST - 1, LARGEST, MOST_NEGATIVE, MOST_NEGATIVE + 1};
    std::vector<std::int32_t> counted = {expected.front()};
    while (counted.size() < expected.size()) counted.push_back(q47::nextFrame(counted.back()));
    EXPECT_EQ(counted, expected);
}

// Each step at the wrap moves every cell exactly as the ordinary step of the same kind: the same frame
// numbers modulo the picture's period, on the same side of zero.
TEST(FrameWrap, EveryCellMovesAcrossTheWrapAsBetweenOrdinaryFrames)
{
    struct Case {
        const char* name;
        std::int32_t wrapStep;      // the step from this frame to the next
        std::int32_t ordinaryStep;  // an ordinary step of the same kind
        Step expected;
    };
    const Case cases[] = {
        {"largest - 1 to largest, to an odd frame", LARGEST - 1, PICTURE_PERIOD - 2, {-1, 0}},
        {"largest to most negative, to an even frame", LARGEST, PICTURE_PERIOD - 1, {-1, 1}},
        {"most negative to the next, to an odd frame", MOST_NEGATIVE, -PICTURE_PERIOD, {-1, 1}},
        {"most negative + 1 to the next, to an even frame", MOST_NEGATIVE + 1, -PICTURE_PERIOD + 1, {-1, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const int row : TRACKED_ROWS) {
            for (const int column : TRACKED_COLUMNS) {
                SCOPED_TRACE("map row " + std::to_string(row) + ", column " + std::to_string(column));
                const Step wrap = stepOf(row, column, c.wrapStep);
                const Step ordinary = stepOf(row, column, c.ordinaryStep);
                EXPECT_EQ(wrap.dx, ordinary.dx);
                EXPECT_EQ(wrap.dy, ordinary.dy);
                EXPECT_EQ(wrap.dx, c.expected.dx);
                EXPECT_EQ(wrap.dy, c.expected.dy);
            }
        }
    }
}

// Over 16 frames a cell goes one row of the ring, 16 px left and 8 px down, and never more than one pixel
// a frame; only a run that holds both down-steps of the wrap and no matching pause goes 9 px down, which is
// where the vertical motion changes parity.
TEST(FrameWrap, SixteenFramesAcrossTheWrapMoveACellByAboutOneRow)
{
    struct Case {
        std::int32_t first;
        int dy;
    };
    const Case cases[] = {{LARGEST - 15, 8}, {LARGEST - 7, 8}, {LARGEST - 1, 8}, {LARGEST, 9}, {MOST_NEGATIVE, 8}};
    for (const Case& c : cases) {
        SCOPED_TRACE("from frame " + std::to_string(c.first));
        std::int32_t frame = c.first;
        int dx = 0, dy = 0;
        for (int k = 0; k < q47::FRAMES_PER_ROW; ++k) {
            const Step step = stepOf(17, 3, frame);
            EXPECT_EQ(step.dx, -1) << "frame " << frame;
            EXPECT_TRUE(step.dy == 0 || step.dy == 1) << "frame " << frame << ": " << step.dy;
            dx += step.dx;
            dy += step.dy;
            frame = q47::nextFrame(frame);
        }
        EXPECT_EQ(dx, -q47::CELL_STEP_X);
        EXPECT_EQ(dy, c.dy);
    }
}

// 2^32 is a multiple of the picture's period, so the most negative counter draws what frame 0 draws and
// the largest draws what frame 16383 draws: the picture goes on as if the counter had not wrapped.
TEST(FrameWrap, TheFramesAtTheWrapDrawThePicturesOfTheRing)
{
    q47::Map map(q47::MAP_COLS, q47::MAP_ROWS);
    for (int r = 0; r < q47::MAP_ROWS; ++r) {
        for (int c = 0; c < q47::MAP_COLS; ++c) {
            map.at(r, c) = q47::Cell{static_cast<std::uint8_t>((r + c) % 12), static_cast<std::uint8_t>(r % 7)};
        }
    }
    // Each blit as (destination x, destination y, source x, source y); -1 for the whole tileset.
    auto blits = [&](std::int32_t frame) {
        std::vector<std::array<int, 4>> out;
        q47::forEachBlit(map, WIDTH, HEIGHT, frame, [&](const q47::Blit& b) {
            out.push_back({b.x, b.y, b.source ? b.source->x : -1, b.source ? b.source->y : -1});
        });
        return out;
    };
    EXPECT_EQ(blits(MOST_NEGATIVE), blits(0));
    EXPECT_EQ(blits(LARGEST), blits(PICTURE_PERIOD - 1));
    EXPECT_NE(blits(MOST_NEGATIVE + 1), blits(1)) << "the negative half runs on its own parity";
}

}  // namespace
