// The sprite atlas: where each ground tile and object sprite lies in the tileset picture.
#pragma once

#include <SDL/SDL_video.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace q47 {

// Top-left pixel of one sprite in the tileset; the sprite's size belongs to its table's lookup.
struct SpriteEntry {
    std::uint16_t x;
    std::uint16_t y;
};

// The smallest tileset that holds every sprite of the four tables.
constexpr int TILESET_W = 256;
constexpr int TILESET_H = 560;

extern const std::array<SpriteEntry, 12> groundTiles;
extern const std::array<SpriteEntry, 7> standingTiles;
extern const std::array<SpriteEntry, 2> tallTiles;
extern const std::array<SpriteEntry, 16> largeTiles;

// A read-only view of one sprite table, so that one lookup serves tables of every length.
struct SpriteTable {
    template <std::size_t N>
    SpriteTable(const std::array<SpriteEntry, N>& table) : entries(table.data()), size(N)  // implicit on purpose
    {
    }

    const SpriteEntry* entries;
    std::size_t size;
};

// The source rectangle of entry `index`, or no rectangle when the index lies outside the table.
// Every call returns its own value; nothing in the atlas refers to it afterwards.
std::optional<SDL_Rect> tileRect(SpriteTable table, std::uint16_t width, std::uint16_t height,
                                 std::int32_t index);

std::optional<SDL_Rect> groundRect(std::int32_t index);    // 32 x 16
std::optional<SDL_Rect> standingRect(std::int32_t index);  // 32 x 64
std::optional<SDL_Rect> tallRect(std::int32_t index);      // 64 x 80
std::optional<SDL_Rect> largeRect(std::int32_t index);     // 64 x 80

}  // namespace q47
