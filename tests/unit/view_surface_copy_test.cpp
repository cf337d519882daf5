// The view surface is copied to the screen without blending. Every view pixel is opaque, so on a black
// screen that gives exactly the screen that the blended copy of an alpha-masked view gives. Over an
// earlier frame SDL's blend at alpha 255 still lets 1/256 of the old screen through (up to one level
// per channel); the plain copy shows the view's own colours exactly.
#include <gtest/gtest.h>

#include <SDL/SDL.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ddddd.h"
#include "map_generator.h"
#include "map_view.h"
#include "quarter_view.h"
#include "random_source.h"

namespace {

// The screen format that X11 gives the window at depth 24.
constexpr Uint32 SCREEN_R = 0xFF0000;
constexpr Uint32 SCREEN_G = 0x00FF00;
constexpr Uint32 SCREEN_B = 0x0000FF;
constexpr Uint32 SCREEN_RGB = SCREEN_R | SCREEN_G | SCREEN_B;  // X shows no other bits at depth 24
constexpr const char* TEST_TILESET = "tests/golden/render/data/images/Torvi070930-7.png";

bool fileExists(const char* path)
{
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return false;
    std::fclose(file);
    return true;
}

SDL_Surface* blackScreen(int width, int height)
{
    return SDL_CreateRGBSurface(0, width, height, 32, SCREEN_R, SCREEN_G, SCREEN_B, 0);
}

// The view as SDL_CreateRGBSurface makes it with the shared masks: the alpha mask gives it SDL_SRCALPHA.
SDL_Surface* blendingView(int width, int height)
{
    const q47::RGBAMask& mask = q47::rgbaMask();
    return SDL_CreateRGBSurface(0, width, height, 32, mask.Rmask, mask.Gmask, mask.Bmask, mask.Amask);
}

Uint32 pixelAt(const SDL_Surface* surface, int x, int y)
{
    return static_cast<const Uint32*>(surface->pixels)[y * (surface->pitch / 4) + x];
}

int channelDistance(Uint32 a, Uint32 b)
{
    int largest = 0;
    for (int shift : {0, 8, 16}) largest = std::max(largest, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
    return largest;
}

// The view pixel's colour in the screen's format: what an exact copy puts on the screen.
Uint32 viewColourOnScreen(const SDL_Surface* view, const SDL_Surface* screen, int x, int y)
{
    Uint8 r, g, b;
    SDL_GetRGB(pixelAt(view, x, y), view->format, &r, &g, &b);
    return SDL_MapRGB(screen->format, r, g, b);
}

class ViewSurfaceCopy : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // The shipped tileset once it is there; until then the renderer tests' indexed tileset.
        const char* path = fileExists(q47::TILESET_PATH) ? q47::TILESET_PATH : TEST_TILESET;
        tileset_ = q47::loadTileset(path);
        q47::Mt19937Source random(2024);
        map_ = new q47::Map(q47::generateMap(q47::MAP_COLS, q47::MAP_ROWS, random));
    }
    static void TearDownTestSuite()
    {
        delete map_;
        SDL_FreeSurface(tileset_);
    }

    static SDL_Surface* tileset_;
    static q47::Map* map_;
};

SDL_Surface* ViewSurfaceCopy::tileset_ = nullptr;
q47::Map* ViewSurfaceCopy::map_ = nullptr;

struct FrameCase {
    int width;
    int height;
    std::int32_t frame;
};

TEST_F(ViewSurfaceCopy, OnABlackScreenTheUnblendedCopyGivesEveryPixelOfTheBlendedOne)
{
    const std::vector<FrameCase> cases{
        {320, 240, 0}, {320, 240, 37}, {320, 240, 16383}, {320, 240, -1}, {640, 480, 5000},
    };
    for (const FrameCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + " frame " +
                     std::to_string(c.frame));
        SDL_Surface* plainScreen = blackScreen(c.width, c.height);
        SDL_Surface* blendedScreen = blackScreen(c.width, c.height);
        SDL_Surface* view = q47::createViewSurface(plainScreen);
        SDL_Surface* blendedView = blendingView(c.width, c.height);
        ASSERT_NE(blendedView, nullptr);
        EXPECT_EQ(view->flags & SDL_SRCALPHA, 0u);
        ASSERT_NE(blendedView->flags & SDL_SRCALPHA, 0u) << "the comparison needs a copy that blends";

        q47::drawQuarterView(*map_, tileset_, view, c.frame);
        q47::drawQuarterView(*map_, tileset_, blendedView, c.frame);
        q47::copyViewToScreen(view, plainScreen);
        ASSERT_EQ(SDL_BlitSurface(blendedView, nullptr, blendedScreen, nullptr), 0);

        int differing = 0;
        int drawn = 0;
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                const Uint32 plain = pixelAt(plainScreen, x, y) & SCREEN_RGB;
                if (plain != (pixelAt(blendedScreen, x, y) & SCREEN_RGB) && differing++ == 0)
                    ADD_FAILURE() << "first difference at (" << x << ", " << y << ")";
                if (plain != 0) ++drawn;
            }
        }
        EXPECT_EQ(differing, 0);
        EXPECT_GT(drawn, c.width * c.height / 4) << "the frame should be largely tiles";
        SDL_FreeSurface(blendedView);
        SDL_FreeSurface(view);
        SDL_FreeSurface(blendedScreen);
        SDL_FreeSurface(plainScreen);
    }
}

TEST_F(ViewSurfaceCopy, OverEarlierFramesThePlainCopyIsExactAndTheBlendedOneWithinOneLevel)
{
    // As in the loop: each frame's copy lands on the screen that the previous frame and a panel left.
    constexpr int W = 320;
    constexpr int H = 240;
    SDL_Surface* plainScreen = blackScreen(W, H);
    SDL_Surface* blendedScreen = blackScreen(W, H);
    SDL_Surface* view = q47::createViewSurface(plainScreen);
    SDL_Surface* blendedView = blendingView(W, H);
    SDL_Rect panel{16, 136, 288, 88};
    for (std::int32_t frame = 0; frame < 40; frame += 13) {
        SCOPED_TRACE("frame " + std::to_string(frame));
        q47::drawQuarterView(*map_, tileset_, view, frame);
        q47::drawQuarterView(*map_, tileset_, blendedView, frame);
        q47::copyViewToScreen(view, plainScreen);
        ASSERT_EQ(SDL_BlitSurface(blendedView, nullptr, blendedScreen, nullptr), 0);

        int inexact = 0;
        int farOff = 0;
        for (int y = 0; y < H; ++y) {
            for (int x = 0; x < W; ++x) {
                const Uint32 exact = viewColourOnScreen(view, plainScreen, x, y);
                if ((pixelAt(plainScreen, x, y) & SCREEN_RGB) != exact) ++inexact;
                if (channelDistance(pixelAt(blendedScreen, x, y), exact) > 1) ++farOff;
            }
        }
        EXPECT_EQ(inexact, 0);
        EXPECT_EQ(farOff, 0);
        // Light grey where the panel goes, so the next frame's copy lands on something other than black.
        SDL_Rect at = panel;
        SDL_FillRect(plainScreen, &at, 0xC0C0C0);
        at = panel;
        SDL_FillRect(blendedScreen, &at, 0xC0C0C0);
    }
    SDL_FreeSurface(blendedView);
    SDL_FreeSurface(view);
    SDL_FreeSurface(blendedScreen);
    SDL_FreeSurface(plainScreen);
}

}  // namespace
