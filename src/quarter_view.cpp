// The quarter-view renderer: frame arithmetic, the decoding of cell codes into sprites, and the blits.
#include "quarter_view.h"

namespace q47 {

namespace {

// Sprites stand on their cell: standing and tall ones end on the bottom edge of the ground tile,
// large ones 8 px above it, reaching 16 px to the left of the cell point.
constexpr Point GROUND_OFFSET = {0, 0};
constexpr Point STANDING_OFFSET = {0, -48};
constexpr Point TALL_OFFSET = {0, -64};
constexpr Point LARGE_OFFSET = {-16, -72};
constexpr int LARGE_SHIFTED_X = 8;  // large sprites 1, 3 and 6 sit this much further right

// A code byte read as a two's complement signed byte, without leaning on implementation-defined casts.
std::int32_t signedByte(std::uint8_t code)
{
    return code < 0x80 ? code : static_cast<std::int32_t>(code) - 0x100;
}

// Tall and large codes count from their family bit: the bit alone marks a cell covered from elsewhere.
std::optional<std::int32_t> familyIndex(std::uint8_t code, std::uint8_t familyBit)
{
    const auto distance = static_cast<std::uint8_t>(code - familyBit);
    if (distance == 0) {
        return std::nullopt;
    }
    return signedByte(static_cast<std::uint8_t>(distance - 1));
}

Point largeOffset(std::int32_t index)
{
    const bool shifted = index == 1 || index == 3 || index == 6;
    return {LARGE_OFFSET.x + (shifted ? LARGE_SHIFTED_X : 0), LARGE_OFFSET.y};
}

}  // namespace

Scroll scrollAt(std::int32_t frame)
{
    // C++ division truncates toward zero, so for a negative counter both remainders are zero or negative
    // and rowOffset lies above ROW_RING; view rows then still map to 0 .. ROW_RING - 1.
    Scroll scroll;
    scroll.rowOffset = ROW_RING - static_cast<int>((frame / FRAMES_PER_ROW) % ROW_RING);
    scroll.subX = static_cast<int>(frame % FRAMES_PER_ROW);
    scroll.subY = static_cast<int>((frame / 2) % SUB_Y_STEPS);
    return scroll;
}

int windowMapRow(int viewRow, int rowOffset)
{
    return (viewRow + rowOffset) % ROW_RING;
}

Point viewOrigin(int width, int height)
{
    return {width / 2 + ORIGIN_SHIFT_X, height / 2 - ORIGIN_SHIFT_Y};
}

Point cellPoint(Point origin, Scroll scroll, int viewRow, int column)
{
    // Rows and columns each move the point half a tile across and half a tile down, in opposite
    // horizontal directions; the scroll moves the whole picture toward the lower left.
    return {origin.x + CELL_STEP_X * column - CELL_STEP_X * viewRow - scroll.subX,
            origin.y + CELL_STEP_Y * viewRow + CELL_STEP_Y * column + scroll.subY};
}

Point cellPoint(int viewRow, int column, std::int32_t frame, int width, int height)
{
    return cellPoint(viewOrigin(width, height), scrollAt(frame), viewRow, column);
}

std::optional<SpriteRef> decodeGround(std::uint8_t code)
{
    if (code == NONE) {
        return std::nullopt;
    }
    return SpriteRef{SpriteKind::Ground, signedByte(code), GROUND_OFFSET};
}

std::optional<SpriteRef> decodeObject(std::uint8_t code)
{
    if (code == NONE) {
        return std::nullopt;
    }
    // The tall bit is tested first, so codes with both family bits are tall.
    if ((code & TALL_BIT) != 0) {
        const std::optional<std::int32_t> index = familyIndex(code, TALL_BIT);
        if (!index) {
            return std::nullopt;
        }
        return SpriteRef{SpriteKind::Tall, *index, TALL_OFFSET};
    }
    if ((code & LARGE_BIT) != 0) {
        const std::optional<std::int32_t> index = familyIndex(code, LARGE_BIT);
        if (!index) {
            return std::nullopt;
        }
        return SpriteRef{SpriteKind::Large, *index, largeOffset(*index)};
    }
    return SpriteRef{SpriteKind::Standing, signedByte(code), STANDING_OFFSET};
}

std::optional<SDL_Rect> spriteRect(const SpriteRef& sprite)
{
    switch (sprite.kind) {
    case SpriteKind::Ground:
        return groundRect(sprite.index);
    case SpriteKind::Standing:
        return standingRect(sprite.index);
    case SpriteKind::Tall:
        return tallRect(sprite.index);
    case SpriteKind::Large:
        return largeRect(sprite.index);
    }
    return std::nullopt;
}

void fillViewWindow(ViewWindow& window, const Map& map, int rowOffset)
{
    for (int i = 0; i < VIEW_ROWS; ++i) {
        const int row = windowMapRow(i, rowOffset);
        for (int j = 0; j < MAP_COLS; ++j) {
            window[i][j] = &map.at(row, j);
        }
    }
}

void drawQuarterView(const Map& map, SDL_Surface* tileset, SDL_Surface* view, std::int32_t frame)
{
    SDL_FillRect(view, nullptr, SDL_MapRGB(view->format, 0, 0, 0));
    SDL_Rect destination = {0, 0, 0, 0};
    forEachBlit(map, view->w, view->h, frame, [&](const Blit& blit) {
        // The blit may write clipped values into both rectangles, so each gets fresh copies.
        SDL_Rect source = blit.source.value_or(SDL_Rect{0, 0, 0, 0});
        destination.x = blit.x;
        destination.y = blit.y;
        (void)SDL_BlitSurface(tileset, blit.source ? &source : nullptr, view, &destination);
    });
}

}  // namespace q47
