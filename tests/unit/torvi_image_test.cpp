// The sprite atlas: lookups at and around the ends of each table, and the layout of the tables.
#include <gtest/gtest.h>

#include <algorithm>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "torvi_image.h"

namespace {

using Lookup = std::optional<SDL_Rect> (*)(std::int32_t);

struct Expected {
    int x, y, w, h;
};

struct LookupCase {
    const char* name;
    Lookup lookup;
    std::int32_t index;
    std::optional<Expected> rect;
};

constexpr std::int32_t INT32_HIGH = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t INT32_LOW = std::numeric_limits<std::int32_t>::min();

const std::vector<LookupCase> lookupCases = {
    {"ground first", q47::groundRect, 0, Expected{32, 0, 32, 16}},
    {"ground first of second line", q47::groundRect, 5, Expected{0, 16, 32, 16}},
    {"ground last of second line", q47::groundRect, 10, Expected{160, 16, 32, 16}},
    {"ground last", q47::groundRect, 11, Expected{192, 64, 32, 16}},
    {"ground one past the end", q47::groundRect, 12, std::nullopt},
    {"ground -1", q47::groundRect, -1, std::nullopt},
    {"ground most negative", q47::groundRect, INT32_LOW, std::nullopt},
    {"ground largest", q47::groundRect, INT32_HIGH, std::nullopt},
    {"standing first", q47::standingRect, 0, Expected{224, 0, 32, 64}},
    {"standing last", q47::standingRect, 6, Expected{160, 96, 32, 64}},
    {"standing one past the end", q47::standingRect, 7, std::nullopt},
    {"standing -1", q47::standingRect, -1, std::nullopt},
    {"standing -128", q47::standingRect, -128, std::nullopt},
    {"standing largest", q47::standingRect, INT32_HIGH, std::nullopt},
    {"tall first", q47::tallRect, 0, Expected{96, 160, 64, 80}},
    {"tall last", q47::tallRect, 1, Expected{160, 160, 64, 80}},
    {"tall one past the end", q47::tallRect, 2, std::nullopt},
    {"tall -1", q47::tallRect, -1, std::nullopt},
    {"tall largest", q47::tallRect, INT32_HIGH, std::nullopt},
    {"large first", q47::largeRect, 0, Expected{0, 240, 64, 80}},
    {"large 6", q47::largeRect, 6, Expected{128, 320, 64, 80}},
    {"large last", q47::largeRect, 15, Expected{192, 480, 64, 80}},
    {"large one past the end", q47::largeRect, 16, std::nullopt},
    {"large -1", q47::largeRect, -1, std::nullopt},
    {"large most negative", q47::largeRect, INT32_LOW, std::nullopt},
    {"large largest", q47::largeRect, INT32_HIGH, std::nullopt},
};

TEST(SpriteAtlas, LookupsAtTheEndsOfEachTable)
{
    for (const LookupCase& c : lookupCases) {
        SCOPED_TRACE(c.name);
        const std::optional<SDL_Rect> rect = c.lookup(c.index);
        ASSERT_EQ(rect.has_value(), c.rect.has_value());
        if (rect) {
            EXPECT_EQ(rect->x, c.rect->x);
            EXPECT_EQ(rect->y, c.rect->y);
            EXPECT_EQ(rect->w, c.rect->w);
            EXPECT_EQ(rect->h, c.rect->h);
        }
    }
}

TEST(SpriteAtlas, LargeSpritesFillAFourByFourGridLineByLine)
{
    for (std::int32_t n = 0; n < 16; ++n) {
        SCOPED_TRACE("large " + std::to_string(n));
        const std::optional<SDL_Rect> rect = q47::largeRect(n);
        ASSERT_TRUE(rect.has_value());
        EXPECT_EQ(rect->x, 64 * (n % 4));
        EXPECT_EQ(rect->y, 240 + 80 * (n / 4));
    }
}

TEST(SpriteAtlas, EachCallGivesItsOwnRectangle)
{
    std::optional<SDL_Rect> first = q47::standingRect(3);
    const std::optional<SDL_Rect> second = q47::standingRect(3);
    ASSERT_TRUE(first && second);
    first->x = 1;
    first->w = 2;
    EXPECT_EQ(second->x, 160);
    EXPECT_EQ(second->w, 32);
    EXPECT_EQ(q47::standingRect(3)->x, 160);
    EXPECT_EQ(q47::standingTiles[3].x, 160);
}

// Every sprite of every table, as the lookups give it, so that layout faults in any table show.
std::vector<SDL_Rect> allSprites()
{
    std::vector<SDL_Rect> sprites;
    const std::pair<Lookup, std::int32_t> tables[] = {
        {q47::groundRect, 12}, {q47::standingRect, 7}, {q47::tallRect, 2}, {q47::largeRect, 16}};
    for (const auto& [lookup, entries] : tables) {
        for (std::int32_t i = 0; i < entries; ++i) sprites.push_back(*lookup(i));
    }
    return sprites;
}

TEST(SpriteAtlas, SpritesLieInsideTheTilesetApartFromTheKeyPixelAndNeverOverlap)
{
    const std::vector<SDL_Rect> sprites = allSprites();
    ASSERT_EQ(sprites.size(), 37u);
    int right = 0;
    int bottom = 0;
    for (std::size_t a = 0; a < sprites.size(); ++a) {
        const SDL_Rect& r = sprites[a];
        SCOPED_TRACE("sprite " + std::to_string(a));
        EXPECT_GE(r.x, 0);
        EXPECT_GE(r.y, 0);
        right = std::max(right, r.x + r.w);
        bottom = std::max(bottom, r.y + r.h);
        EXPECT_FALSE(r.x == 0 && r.y == 0) << "covers the top-left pixel, which gives the colour key";
        for (std::size_t b = a + 1; b < sprites.size(); ++b) {
            const SDL_Rect& s = sprites[b];
            const bool apart = r.x + r.w <= s.x || s.x + s.w <= r.x || r.y + r.h <= s.y || s.y + s.h <= r.y;
            EXPECT_TRUE(apart) << "overlaps sprite " << b;
        }
    }
    // The program refuses a tileset smaller than this, so the bound must be the tight one.
    EXPECT_EQ(right, 256);
    EXPECT_EQ(bottom, 560);
    EXPECT_EQ(q47::TILESET_W, right);
    EXPECT_EQ(q47::TILESET_H, bottom);
}

}  // namespace
