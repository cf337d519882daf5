// drawQuarterView at the edges of its inputs: every cell code, the extreme frame counters, the smallest and
// largest targets and tilesets too small for their sprites. The target's pixels sit in a buffer with guard
// bytes before, after and at the end of every row, so a write outside the surface shows, even one made
// inside SDL's blitters; the sanitizer build checks the renderer's own accesses as well.
#include <gtest/gtest.h>

#include <SDL/SDL.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "map.h"
#include "quarter_view.h"

namespace {

constexpr std::size_t GUARD_BYTES = 64;
constexpr std::size_t ROW_SLACK_BYTES = 8;
constexpr Uint8 GUARD = 0xA5;

// Every ground and object code in turn, so each family's lookups and the whole-tileset fallback all occur.
q47::Map everyCodeMap()
{
    q47::Map map(q47::MAP_COLS, q47::MAP_ROWS);
    int n = 0;
    for (int r = 0; r < q47::MAP_ROWS; ++r) {
        for (int c = 0; c < q47::MAP_COLS; ++c, ++n) {
            map.at(r, c) = q47::Cell{static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n * 7 + r)};
        }
    }
    return map;
}

SDL_Surface* patternTileset(int width, int height)
{
    SDL_Surface* tileset = SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 8, 0, 0, 0, 0);
    SDL_Color colours[256];  // a new 8-bit surface's palette is all black
    for (int i = 0; i < 256; ++i) colours[i] = SDL_Color{static_cast<Uint8>(i), static_cast<Uint8>(255 - i), 90, 0};
    SDL_SetColors(tileset, colours, 0, 256);
    auto* pixels = static_cast<Uint8*>(tileset->pixels);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) pixels[y * tileset->pitch + x] = static_cast<Uint8>(x + 3 * y);
    }
    SDL_SetColorKey(tileset, SDL_SRCCOLORKEY, pixels[0]);
    return tileset;
}

class GuardedTarget {
public:
    GuardedTarget(int width, int height)
        : width_(width), height_(height), pitch_(static_cast<std::size_t>(width) * 4 + ROW_SLACK_BYTES),
          memory_(2 * GUARD_BYTES + pitch_ * static_cast<std::size_t>(height), GUARD)
    {
        surface_ = SDL_CreateRGBSurfaceFrom(memory_.data() + GUARD_BYTES, width, height, 32, static_cast<int>(pitch_),
                                            0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000);
    }
    ~GuardedTarget() { SDL_FreeSurface(surface_); }
    GuardedTarget(const GuardedTarget&) = delete;
    GuardedTarget& operator=(const GuardedTarget&) = delete;

    SDL_Surface* surface() const { return surface_; }

    // Whether any pixel differs from the black of the clear (alpha aside).
    bool anyDrawn() const
    {
        for (int y = 0; y < height_; ++y) {
            const Uint8* row = memory_.data() + GUARD_BYTES + pitch_ * static_cast<std::size_t>(y);
            for (int x = 0; x < 4 * width_; ++x) {
                if (x % 4 != 3 && row[x] != 0) return true;
            }
        }
        return false;
    }

    // How many guard bytes were overwritten.
    int spoiledGuards() const
    {
        int spoiled = 0;
        for (std::size_t i = 0; i < GUARD_BYTES; ++i) {
            spoiled += memory_[i] != GUARD;
            spoiled += memory_[memory_.size() - 1 - i] != GUARD;
        }
        for (int y = 0; y < height_; ++y) {
            const Uint8* slack = memory_.data() + GUARD_BYTES + pitch_ * static_cast<std::size_t>(y) + 4 * width_;
            for (std::size_t i = 0; i < ROW_SLACK_BYTES; ++i) spoiled += slack[i] != GUARD;
        }
        return spoiled;
    }

private:
    int width_;
    int height_;
    std::size_t pitch_;
    std::vector<Uint8> memory_;
    SDL_Surface* surface_ = nullptr;
};

TEST(RenderExtremes, NoWriteLeavesTheTargetForAnyCounterSizeOrTileset)
{
    const q47::Map map = everyCodeMap();
    struct Tileset {
        const char* name;
        SDL_Surface* surface;
    };
    const Tileset tilesets[] = {{"256x560", patternTileset(256, 560)}, {"1x1", patternTileset(1, 1)},
                                {"40x30", patternTileset(40, 30)}};
    const std::int32_t frames[] = {std::numeric_limits<std::int32_t>::min(), -1, 0, 16383,
                                   std::numeric_limits<std::int32_t>::max()};
    const int sides[][2] = {{1, 1}, {1, 1024}, {1024, 1}, {1024, 1024}, {33, 17}};
    for (const Tileset& tileset : tilesets) {
        ASSERT_NE(tileset.surface, nullptr);
        for (const auto& side : sides) {
            GuardedTarget target(side[0], side[1]);
            ASSERT_NE(target.surface(), nullptr);
            for (const std::int32_t frame : frames) {
                SCOPED_TRACE(std::string("tileset ") + tileset.name + ", target " + std::to_string(side[0]) + "x" +
                             std::to_string(side[1]) + ", frame " + std::to_string(frame));
                q47::drawQuarterView(map, tileset.surface, target.surface(), frame);
                EXPECT_EQ(target.spoiledGuards(), 0);
                if (tileset.surface->w >= 256 && side[0] == 1024 && side[1] == 1024) {
                    EXPECT_TRUE(target.anyDrawn()) << "the full tileset on the largest target draws sprites";
                }
            }
        }
    }
    for (const Tileset& tileset : tilesets) SDL_FreeSurface(tileset.surface);
}

}  // namespace
