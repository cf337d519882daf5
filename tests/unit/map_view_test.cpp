// The map view layer's surfaces: the tileset's colour key, the view surface, and the failures they raise.
#include <gtest/gtest.h>

#include <SDL/SDL_image.h>

#include <cstdio>
#include <string>

#include "ddddd.h"
#include "failure.h"
#include "map_view.h"

namespace {

std::string tempPath(const char* name)
{
    return std::string(Q47_BINARY_DIR) + "/" + name;
}

// An 8-bit picture whose top-left pixel holds palette index 7 and whose other pixels hold 3.
std::string writeIndexedPicture()
{
    SDL_Surface* picture = SDL_CreateRGBSurface(0, 4, 2, 8, 0, 0, 0, 0);
    SDL_Color palette[8];
    for (int i = 0; i < 8; ++i) palette[i] = SDL_Color{Uint8(i * 30), Uint8(200 - i * 20), Uint8(i * 10), 0};
    SDL_SetColors(picture, palette, 0, 8);
    SDL_FillRect(picture, nullptr, 3);
    static_cast<Uint8*>(picture->pixels)[0] = 7;
    const std::string path = tempPath("map_view_test_tileset.bmp");
    SDL_SaveBMP(picture, path.c_str());
    SDL_FreeSurface(picture);
    return path;
}

TEST(LoadTileset, TakesTheColourKeyFromTheTopLeftPixelAlone)
{
    const std::string path = writeIndexedPicture();
    SDL_Surface* tileset = q47::loadTileset(path.c_str());
    ASSERT_NE(tileset, nullptr);
    EXPECT_EQ(tileset->format->colorkey, 7u);
    EXPECT_EQ(tileset->flags & (SDL_SRCCOLORKEY | SDL_RLEACCEL), Uint32{SDL_SRCCOLORKEY});
    SDL_FreeSurface(tileset);
    std::remove(path.c_str());
}

TEST(LoadTileset, AMissingPictureFailsWithFailedTile)
{
    try {
        q47::loadTileset(tempPath("no such tileset.png").c_str());
        FAIL() << "expected a failure";
    } catch (const q47::Failure& failure) {
        EXPECT_STREQ(failure.what(), "failed tile");
    }
}

TEST(CreateViewSurface, HasTheScreensSizeAndDepthWithTheSharedMasks)
{
    for (int depth : {16, 32}) {
        SCOPED_TRACE(depth);
        SDL_Surface* screen = SDL_CreateRGBSurface(0, 321, 241, depth, 0, 0, 0, 0);
        SDL_Surface* view = q47::createViewSurface(screen);
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(view->w, 321);
        EXPECT_EQ(view->h, 241);
        EXPECT_EQ(view->format->BitsPerPixel, depth);
        const q47::RGBAMask& mask = q47::rgbaMask();
        if (depth == 32) {
            EXPECT_EQ(view->format->Rmask, mask.Rmask);
            EXPECT_EQ(view->format->Gmask, mask.Gmask);
            EXPECT_EQ(view->format->Bmask, mask.Bmask);
            EXPECT_EQ(view->format->Amask, mask.Amask);
        }
        SDL_FreeSurface(view);
        SDL_FreeSurface(screen);
    }
}

TEST(CopyViewToScreen, AFailedCopyRaisesFailedBlit)
{
    SDL_Surface* screen = SDL_CreateRGBSurface(0, 8, 8, 32, 0, 0, 0, 0);
    SDL_Surface* view = q47::createViewSurface(screen);
    EXPECT_NO_THROW(q47::copyViewToScreen(view, screen));
    // A locked destination makes SDL refuse the copy with a negative result.
    ASSERT_EQ(SDL_LockSurface(screen), 0);
    try {
        q47::copyViewToScreen(view, screen);
        ADD_FAILURE() << "expected a failure";
    } catch (const q47::Failure& failure) {
        EXPECT_STREQ(failure.what(), "failed blit");
    }
    SDL_UnlockSurface(screen);
    SDL_FreeSurface(view);
    SDL_FreeSurface(screen);
}

}  // namespace
