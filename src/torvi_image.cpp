// The four sprite tables of the tileset and their lookups, each lookup with its kind's sprite size.
#include "torvi_image.h"

namespace q47 {

namespace {

constexpr std::uint16_t GROUND_W = 32;
constexpr std::uint16_t GROUND_H = 16;
constexpr std::uint16_t STANDING_W = 32;
constexpr std::uint16_t STANDING_H = 64;
constexpr std::uint16_t TALL_W = 64;
constexpr std::uint16_t TALL_H = 80;
constexpr std::uint16_t LARGE_W = 64;
constexpr std::uint16_t LARGE_H = 80;

}  // namespace

// The first line of ground tiles starts one tile in; tile 11 stands apart from both lines.
const std::array<SpriteEntry, 12> groundTiles = {{
    //  x    y
    { 32,   0},  //  0
    { 64,   0},  //  1
    { 96,   0},  //  2
    {128,   0},  //  3
    {160,   0},  //  4
    {  0,  16},  //  5
    { 32,  16},  //  6
    { 64,  16},  //  7
    { 96,  16},  //  8
    {128,  16},  //  9
    {160,  16},  // 10
    {192,  64},  // 11
}};

const std::array<SpriteEntry, 7> standingTiles = {{
    //  x    y
    {224,   0},  // 0
    { 96,  32},  // 1
    {128,  32},  // 2
    {160,  32},  // 3
    { 96,  96},  // 4
    {128,  96},  // 5
    {160,  96},  // 6
}};

const std::array<SpriteEntry, 2> tallTiles = {{
    //  x    y
    { 96, 160},  // 0
    {160, 160},  // 1
}};

// A four-by-four grid of 64 x 80 sprites, filled line by line.
const std::array<SpriteEntry, 16> largeTiles = {{
    //  x    y
    {  0, 240}, { 64, 240}, {128, 240}, {192, 240},  //  0 ..  3
    {  0, 320}, { 64, 320}, {128, 320}, {192, 320},  //  4 ..  7
    {  0, 400}, { 64, 400}, {128, 400}, {192, 400},  //  8 .. 11
    {  0, 480}, { 64, 480}, {128, 480}, {192, 480},  // 12 .. 15
}};

std::optional<SDL_Rect> tileRect(SpriteTable table, std::uint16_t width, std::uint16_t height,
                                 std::int32_t index)
{
    if (index < 0) {
        return std::nullopt;
    }
    if (static_cast<std::uint32_t>(index) >= table.size) {
        return std::nullopt;
    }
    const SpriteEntry& entry = table.entries[index];
    SDL_Rect rect;
    // Every table position is below 32768, so it keeps its value in the signed 16-bit fields.
    rect.x = static_cast<Sint16>(entry.x);
    rect.y = static_cast<Sint16>(entry.y);
    rect.w = width;
    rect.h = height;
    return rect;
}

std::optional<SDL_Rect> groundRect(std::int32_t index)
{
    return tileRect(groundTiles, GROUND_W, GROUND_H, index);
}

std::optional<SDL_Rect> standingRect(std::int32_t index)
{
    return tileRect(standingTiles, STANDING_W, STANDING_H, index);
}

std::optional<SDL_Rect> tallRect(std::int32_t index)
{
    return tileRect(tallTiles, TALL_W, TALL_H, index);
}

std::optional<SDL_Rect> largeRect(std::int32_t index)
{
    return tileRect(largeTiles, LARGE_W, LARGE_H, index);
}

}  // namespace q47
