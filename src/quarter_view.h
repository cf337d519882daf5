// The quarter-view renderer: which map cells a frame shows, where each sprite goes, and the drawing itself.
#pragma once

#include <SDL/SDL_video.h>

#include <array>
#include <cstdint>
#include <optional>

#include "map.h"
#include "torvi_image.h"

namespace q47 {

constexpr int VIEW_ROWS = 36;              // map rows visible in one frame
constexpr int TILE_W = 32;                 // ground tile size
constexpr int TILE_H = 16;
constexpr int CELL_STEP_X = TILE_W / 2;    // neighbouring cells lie half a tile apart
constexpr int CELL_STEP_Y = TILE_H / 2;
constexpr int ORIGIN_SHIFT_X = 144;
constexpr int ORIGIN_SHIFT_Y = 208;        // half the height of the window's ground area
constexpr int ROW_RING = 1024;             // the window wraps at this many rows, whatever the map holds
constexpr std::int32_t FRAMES_PER_ROW = 16;
constexpr std::int32_t SUB_Y_STEPS = 8;    // subY advances once every second frame, 0 to 7

static_assert(ROW_RING == MAP_ROWS, "the window wraps with the map's own ring");
static_assert(2 * ORIGIN_SHIFT_Y == (MAP_COLS + VIEW_ROWS) * TILE_H / 2,
              "the ground area of the window at frame 0 is centred vertically on the target");

struct Point {
    int x;
    int y;
};

// The frame counter's share of the picture: the first map row of the window and the sub-tile scroll.
struct Scroll {
    int rowOffset;  // 1 to 2047: view row i shows map row (i + rowOffset) rem ROW_RING
    int subX;       // -15 to 15
    int subY;       // -7 to 7
};

Scroll scrollAt(std::int32_t frame);

// The map row that view row `viewRow` (0 to VIEW_ROWS - 1) shows; always 0 to ROW_RING - 1.
int windowMapRow(int viewRow, int rowOffset);

// Where view cell (0, 0) would lie without scrolling, from the target's size.
Point viewOrigin(int width, int height);

// The cell point (top-left corner of the ground tile) of view cell (viewRow, column). One view row down
// moves the cell point 16 px left and 8 px down; one column right moves it 16 px right and 8 px down.
Point cellPoint(Point origin, Scroll scroll, int viewRow, int column);
Point cellPoint(int viewRow, int column, std::int32_t frame, int width, int height);

enum class SpriteKind : std::uint8_t { Ground, Standing, Tall, Large };

// What one code draws: the sprite table, the index into it, and the sprite's offset from the cell point.
// The index may lie outside its table; such a sprite is the whole tileset.
struct SpriteRef {
    SpriteKind kind;
    std::int32_t index;
    Point offset;
};

std::optional<SpriteRef> decodeGround(std::uint8_t code);  // nothing for NONE
std::optional<SpriteRef> decodeObject(std::uint8_t code);  // nothing for NONE, OCCUPIED_TALL, OCCUPIED_LARGE
std::optional<SDL_Rect> spriteRect(const SpriteRef& sprite);

// One blit of a frame: a source rectangle (none = the whole tileset) and the destination's top-left corner.
struct Blit {
    SpriteKind kind;
    std::optional<SDL_Rect> source;
    Sint16 x;
    Sint16 y;
};

// The window's cells, referring to the map's own cells; it lives for one frame.
using ViewWindow = std::array<std::array<const Cell*, MAP_COLS>, VIEW_ROWS>;

// `map` must have at least ROW_RING rows of MAP_COLS cells.
void fillViewWindow(ViewWindow& window, const Map& map, int rowOffset);

namespace detail {

template <class Decode, class Layer, class Sink>
void blitPass(const ViewWindow& window, Point origin, Scroll scroll, Decode decode, Layer layer, Sink& sink)
{
    for (int i = 0; i < VIEW_ROWS; ++i) {
        for (int j = 0; j < MAP_COLS; ++j) {
            const std::optional<SpriteRef> sprite = decode(layer(*window[i][j]));
            if (!sprite) {
                continue;
            }
            const Point point = cellPoint(origin, scroll, i, j);
            // For targets up to 4096 x 4096 every position fits the signed 16-bit fields.
            sink(Blit{sprite->kind, spriteRect(*sprite), static_cast<Sint16>(point.x + sprite->offset.x),
                      static_cast<Sint16>(point.y + sprite->offset.y)});
        }
    }
}

}  // namespace detail

// Hands every blit of the frame to `sink(const Blit&)`, in drawing order: all ground tiles, then all
// objects, each pass view row by view row and column by column. Allocates nothing.
template <class Sink>
void forEachBlit(const Map& map, int width, int height, std::int32_t frame, Sink&& sink)
{
    const Scroll scroll = scrollAt(frame);
    const Point origin = viewOrigin(width, height);
    ViewWindow window;
    fillViewWindow(window, map, scroll.rowOffset);
    detail::blitPass(window, origin, scroll, decodeGround, [](const Cell& cell) { return cell.ground; }, sink);
    detail::blitPass(window, origin, scroll, decodeObject, [](const Cell& cell) { return cell.object; }, sink);
}

// Clears `view` to black and draws the frame's window of `map` from `tileset` (colour key already set).
void drawQuarterView(const Map& map, SDL_Surface* tileset, SDL_Surface* view, std::int32_t frame);

}  // namespace q47
