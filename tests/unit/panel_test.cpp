// The translucent panel: depth, alpha flag and fill, on real SDL surfaces.
#include <gtest/gtest.h>

#include "ddddd.h"
#include "panel.h"

namespace {

TEST(CreatePanel, TakesTheReferenceDepthWhateverItsSize)
{
    for (int depth : {16, 24, 32}) {
        SDL_Surface* reference = SDL_CreateRGBSurface(0, 7, 5, depth, 0, 0, 0, 0);
        ASSERT_NE(reference, nullptr);
        SDL_Surface* panel = q47::createPanel(reference, SDL_Color{255, 255, 255, 0}, 288, 88);
        ASSERT_NE(panel, nullptr);
        EXPECT_EQ(panel->format->BitsPerPixel, depth) << "reference depth " << depth;
        EXPECT_EQ(panel->w, 288);
        EXPECT_EQ(panel->h, 88);
        SDL_FreeSurface(panel);
        SDL_FreeSurface(reference);
    }
}

TEST(CreatePanel, FillsEveryPixelWithTheColourAtAlpha192)
{
    SDL_Surface* reference = SDL_CreateRGBSurface(0, 320, 240, 32, 0, 0, 0, 0);
    ASSERT_NE(reference, nullptr);
    SDL_Surface* panel = q47::createPanel(reference, SDL_Color{255, 255, 255, 0}, 288, 88);
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->flags & SDL_SRCALPHA);
    EXPECT_EQ(panel->format->Rmask, q47::rgbaMask().Rmask);
    EXPECT_EQ(panel->format->Amask, q47::rgbaMask().Amask);

    ASSERT_EQ(SDL_LockSurface(panel), 0);
    int wrong = 0;
    for (int y = 0; y < panel->h; ++y) {
        for (int x = 0; x < panel->w; ++x) {
            Uint8 r, g, b, a;
            SDL_GetRGBA(q47::getPixel(panel, x, y), panel->format, &r, &g, &b, &a);
            if (r != 255 || g != 255 || b != 255 || a != 192) {
                if (wrong++ < 3) ADD_FAILURE() << "pixel (" << x << ", " << y << "): expected ffffff at c0, got "
                                               << int(r) << "," << int(g) << "," << int(b) << " at " << int(a);
            }
        }
    }
    SDL_UnlockSurface(panel);
    EXPECT_EQ(wrong, 0);
    SDL_FreeSurface(panel);
    SDL_FreeSurface(reference);
}

}  // namespace
