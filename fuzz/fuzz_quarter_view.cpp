// Fuzz target: drawQuarterView with any map bytes, any frame counter and any target from 1x1 to 1024x1024.
// The target's pixels live in a buffer of ours with guard bytes around it and after every row, so a write
// outside the surface shows even inside SDL's own (uninstrumented) blitters; the tileset must come back
// untouched, and every pixel drawn must be black or a colour of the tileset's palette.
//
// Input: frame (4 bytes, little-endian), width - 1 and height - 1 (2 bytes each, taken mod 1024), tileset
// choice (1 byte), then cell bytes (ground, object, ...), repeated to fill all 1024 x 16 cells.
#include <SDL/SDL.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "map.h"
#include "quarter_view.h"

namespace {

constexpr int MAX_SIDE = 1024;
constexpr std::size_t HEADER_BYTES = 9;
constexpr std::size_t GUARD_BYTES = 256;
constexpr std::size_t ROW_SLACK_BYTES = 12;  // after each row, inside the pitch, never drawn on
constexpr Uint8 GUARD_VALUE = 0xA5;
constexpr Uint8 PALETTE_BLUE = 0x5A;
constexpr int FULL_TILESET_W = 256;
constexpr int FULL_TILESET_H = 560;
constexpr Uint32 RGB_BITS = 0x00FFFFFF;  // the view's alpha byte is SDL's business

// Same masks as the program's view surface: red in the lowest byte.
constexpr Uint32 RMASK = 0x000000FF, GMASK = 0x0000FF00, BMASK = 0x00FF0000, AMASK = 0xFF000000;

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "fuzz_quarter_view: %s\n", what);
    std::abort();
}

// Palette entry i is (i, 255 - i, 0x5A): a drawn pixel tells its own index, and none of them is black.
SDL_Color paletteColour(int i)
{
    return SDL_Color{static_cast<Uint8>(i), static_cast<Uint8>(255 - i), PALETTE_BLUE, 0};
}

// An 8-bit tileset like the program's: its top-left pixel (index 0) is the colour key.
SDL_Surface* makeTileset(int width, int height)
{
    SDL_Surface* tileset = SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 8, 0, 0, 0, 0);
    if (tileset == nullptr) fail("cannot create a tileset");
    SDL_Color colours[256];
    for (int i = 0; i < 256; ++i) colours[i] = paletteColour(i);
    SDL_SetColors(tileset, colours, 0, 256);
    auto* pixels = static_cast<Uint8*>(tileset->pixels);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            pixels[y * tileset->pitch + x] = static_cast<Uint8>((x * 7 + y * 13) % 256);
        }
    }
    SDL_SetColorKey(tileset, SDL_SRCCOLORKEY, pixels[0]);
    return tileset;
}

struct Tileset {
    SDL_Surface* surface;
    std::vector<Uint8> pristine;  // its pixels as made, to prove the renderer only reads them
};

Tileset makeKeptTileset(int width, int height)
{
    Tileset made{makeTileset(width, height), {}};
    const auto* pixels = static_cast<const Uint8*>(made.surface->pixels);
    made.pristine.assign(pixels, pixels + static_cast<std::size_t>(made.surface->pitch) * height);
    return made;
}

// A 32-bit target whose pixel memory is ours: guards before and after, slack after each row.
class GuardedTarget {
public:
    GuardedTarget(int width, int height)
        : pitch_(static_cast<std::size_t>(width) * 4 + ROW_SLACK_BYTES),
          width_(width),
          height_(height),
          memory_(2 * GUARD_BYTES + pitch_ * static_cast<std::size_t>(height), GUARD_VALUE)
    {
        surface_ = SDL_CreateRGBSurfaceFrom(memory_.data() + GUARD_BYTES, width, height, 32,
                                            static_cast<int>(pitch_), RMASK, GMASK, BMASK, AMASK);
        if (surface_ == nullptr) fail("cannot create the target");
    }
    ~GuardedTarget() { SDL_FreeSurface(surface_); }
    GuardedTarget(const GuardedTarget&) = delete;
    GuardedTarget& operator=(const GuardedTarget&) = delete;

    SDL_Surface* surface() const { return surface_; }

    void checkGuards() const
    {
        for (std::size_t i = 0; i < GUARD_BYTES; ++i) {
            if (memory_[i] != GUARD_VALUE) fail("write before the target's pixels");
            if (memory_[memory_.size() - 1 - i] != GUARD_VALUE) fail("write after the target's pixels");
        }
        for (int y = 0; y < height_; ++y) {
            const Uint8* slack = row(y) + static_cast<std::size_t>(width_) * 4;
            for (std::size_t i = 0; i < ROW_SLACK_BYTES; ++i) {
                if (slack[i] != GUARD_VALUE) fail("write past the end of a target row");
            }
        }
    }

    // Every pixel is the black of the clear or one of the palette's colours.
    void checkPixels() const
    {
        for (int y = 0; y < height_; ++y) {
            const Uint8* r = row(y);
            for (int x = 0; x < width_; ++x) {
                Uint32 pixel;
                std::memcpy(&pixel, r + 4 * x, sizeof pixel);
                pixel &= RGB_BITS;
                const Uint32 red = pixel & 0xFF, green = (pixel >> 8) & 0xFF, blue = pixel >> 16;
                const bool black = pixel == 0;
                const bool fromPalette = blue == PALETTE_BLUE && green == 255 - red;
                if (!black && !fromPalette) fail("a pixel that is neither black nor a tileset colour");
            }
        }
    }

private:
    const Uint8* row(int y) const { return memory_.data() + GUARD_BYTES + pitch_ * static_cast<std::size_t>(y); }

    std::size_t pitch_;
    int width_;
    int height_;
    std::vector<Uint8> memory_;
    SDL_Surface* surface_ = nullptr;
};

struct Input {
    std::int32_t frame;
    int width;
    int height;
    Uint8 tilesetChoice;
    const Uint8* cells;
    std::size_t cellBytes;
};

Input readInput(const Uint8* data, std::size_t size)
{
    Uint8 header[HEADER_BYTES] = {};
    std::memcpy(header, data, size < HEADER_BYTES ? size : HEADER_BYTES);
    const std::uint32_t frameBits = static_cast<std::uint32_t>(header[0]) | static_cast<std::uint32_t>(header[1]) << 8 |
                                    static_cast<std::uint32_t>(header[2]) << 16 |
                                    static_cast<std::uint32_t>(header[3]) << 24;
    std::int32_t frame;
    std::memcpy(&frame, &frameBits, sizeof frame);  // two's complement, any value
    const int width = 1 + (header[4] | header[5] << 8) % MAX_SIDE;
    const int height = 1 + (header[6] | header[7] << 8) % MAX_SIDE;
    const std::size_t rest = size > HEADER_BYTES ? size - HEADER_BYTES : 0;
    return {frame, width, height, header[8], data + (size - rest), rest};
}

void fillMap(q47::Map& map, const Input& input)
{
    std::size_t at = 0;
    for (int r = 0; r < q47::MAP_ROWS; ++r) {
        for (int c = 0; c < q47::MAP_COLS; ++c) {
            q47::Cell& cell = map.at(r, c);
            if (input.cellBytes == 0) {  // no cell bytes given: every code in turn
                cell = {static_cast<std::uint8_t>(at), static_cast<std::uint8_t>(at * 37 + 11)};
                ++at;
                continue;
            }
            cell.ground = input.cells[at++ % input.cellBytes];
            cell.object = input.cells[at++ % input.cellBytes];
        }
    }
}

// The window's rows come from the ring, whatever the counter: never outside the map.
void checkWindowRows(std::int32_t frame)
{
    const q47::Scroll scroll = q47::scrollAt(frame);
    for (int i = 0; i < q47::VIEW_ROWS; ++i) {
        const int row = q47::windowMapRow(i, scroll.rowOffset);
        if (row < 0 || row >= q47::MAP_ROWS) fail("a view row outside the map");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const Uint8* data, std::size_t size)
{
    static Tileset full = makeKeptTileset(FULL_TILESET_W, FULL_TILESET_H);
    static Tileset tiny = makeKeptTileset(1, 1);
    static Tileset small = makeKeptTileset(8, 8);
    static q47::Map map(q47::MAP_COLS, q47::MAP_ROWS);

    const Input input = readInput(data, size);
    fillMap(map, input);
    Tileset& tileset = input.tilesetChoice % 8 == 0 ? tiny : input.tilesetChoice % 8 == 1 ? small : full;

    GuardedTarget target(input.width, input.height);
    q47::drawQuarterView(map, tileset.surface, target.surface(), input.frame);
    target.checkGuards();
    target.checkPixels();
    if (std::memcmp(tileset.surface->pixels, tileset.pristine.data(), tileset.pristine.size()) != 0) {
        fail("the renderer wrote into the tileset");
    }
    checkWindowRows(input.frame);
    return 0;
}
