// Surfaces and a map for measuring frames: the loop's own composition and the straightforward one.
#include "bench_scene.h"

#include <SDL/SDL_image.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <stdexcept>

#include "ddddd.h"
#include "map_generator.h"
#include "map_view.h"
#include "panel.h"
#include "quarter_view.h"
#include "random_source.h"
#include "torvi_image.h"

namespace q47::bench {

namespace {

constexpr int TILESET_W = 256;
constexpr int TILESET_H = 560;
constexpr Uint8 KEY_INDEX = 0;
constexpr int PALETTE_SIZE = 64;
constexpr int PANEL_MARGIN = 16;
constexpr SDL_Color PANEL_WHITE{255, 255, 255, 0};
constexpr Uint32 SCREEN_R = 0xFF0000;
constexpr Uint32 SCREEN_G = 0x00FF00;
constexpr Uint32 SCREEN_B = 0x0000FF;
constexpr Uint32 RGB24_R = 0x0000FF;  // byte order red, green, blue, as a PNG's RGB pixels load
constexpr Uint32 RGB24_G = 0x00FF00;
constexpr Uint32 RGB24_B = 0xFF0000;

// Paints one sprite as a lozenge that fills its rectangle's middle, transparent toward the corners,
// so the colour-keyed blits skip about as much as they do on real tiles.
void paintSprite(SDL_Surface* picture, const std::optional<SDL_Rect>& rect, Uint8 firstColour)
{
    if (!rect) return;
    Uint8* pixels = static_cast<Uint8*>(picture->pixels);
    const int halfW = rect->w / 2;
    const int halfH = rect->h / 2;
    for (int y = 0; y < rect->h; ++y) {
        for (int x = 0; x < rect->w; ++x) {
            const int dx = std::abs(2 * x + 1 - rect->w) * halfH;
            const int dy = std::abs(2 * y + 1 - rect->h) * halfW;
            if (dx + dy > 2 * halfW * halfH) continue;
            const Uint8 colour = static_cast<Uint8>(1 + (firstColour + x / 4 + y / 3) % (PALETTE_SIZE - 1));
            pixels[(rect->y + y) * picture->pitch + rect->x + x] = colour;
        }
    }
}

std::string writeStandInTileset()
{
    SDL_Surface* picture = SDL_CreateRGBSurface(0, TILESET_W, TILESET_H, 8, 0, 0, 0, 0);
    if (picture == nullptr) throw std::runtime_error("no stand-in tileset surface");
    SDL_Color palette[PALETTE_SIZE];
    palette[KEY_INDEX] = SDL_Color{255, 0, 255, 0};
    for (int i = 1; i < PALETTE_SIZE; ++i)
        palette[i] = SDL_Color{Uint8(40 + i * 3), Uint8(200 - i * 2), Uint8(60 + (i * 37) % 150), 0};
    SDL_SetColors(picture, palette, 0, PALETTE_SIZE);
    SDL_FillRect(picture, nullptr, KEY_INDEX);
    for (int i = 0; i < int(groundTiles.size()); ++i) paintSprite(picture, groundRect(i), Uint8(i));
    for (int i = 0; i < int(standingTiles.size()); ++i) paintSprite(picture, standingRect(i), Uint8(10 + i));
    for (int i = 0; i < int(tallTiles.size()); ++i) paintSprite(picture, tallRect(i), Uint8(20 + i));
    for (int i = 0; i < int(largeTiles.size()); ++i) paintSprite(picture, largeRect(i), Uint8(30 + i));
    const std::string path = std::string(Q47_BINARY_DIR) + "/bench-stand-in-tileset.bmp";
    const int saved = SDL_SaveBMP(picture, path.c_str());
    SDL_FreeSurface(picture);
    if (saved != 0) throw std::runtime_error("cannot write " + path);
    return path;
}

bool fileExists(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    std::fclose(file);
    return true;
}

SDL_Surface* createPanelFor(const SDL_Surface* screen)
{
    return createPanel(screen, PANEL_WHITE, screen->w - 2 * PANEL_MARGIN, screen->h / 2 - 2 * PANEL_MARGIN);
}

}  // namespace

BenchTileset loadBenchTileset()
{
    // Measurements run from the repository root, where the program finds its data.
    if (fileExists(TILESET_PATH)) return {loadTileset(TILESET_PATH), true, TILESET_PATH};
    const std::string standIn = writeStandInTileset();
    return {loadTileset(standIn.c_str()), false, standIn};
}

SDL_Surface* createScreenSurface(int width, int height)
{
    SDL_Surface* screen = SDL_CreateRGBSurface(0, width, height, 32, SCREEN_R, SCREEN_G, SCREEN_B, 0);
    if (screen == nullptr) throw std::runtime_error("no screen surface");
    return screen;
}

SDL_Surface* createBlendedViewSurface(const SDL_Surface* screen)
{
    const RGBAMask& mask = rgbaMask();
    SDL_Surface* view = SDL_CreateRGBSurface(0, screen->w, screen->h, screen->format->BitsPerPixel, mask.Rmask,
                                             mask.Gmask, mask.Bmask, mask.Amask);
    if (view == nullptr) throw std::runtime_error("no view surface");
    return view;
}

SDL_Surface* convertToRgb24(SDL_Surface* tileset)
{
    SDL_Surface* like = SDL_CreateRGBSurface(0, 1, 1, 24, RGB24_R, RGB24_G, RGB24_B, 0);
    if (like == nullptr) throw std::runtime_error("no 24-bit format");
    // The conversion copies every pixel, key colour included; the key is then set as loadTileset sets it.
    SDL_Surface* rgb = SDL_ConvertSurface(tileset, like->format, 0);
    SDL_FreeSurface(like);
    if (rgb == nullptr) throw std::runtime_error("no 24-bit tileset");
    SDL_LockSurface(rgb);
    SDL_SetColorKey(rgb, SDL_SRCCOLORKEY, getPixel(rgb, 0, 0));
    SDL_UnlockSurface(rgb);
    return rgb;
}

FrameSurfaces loopFrame(SDL_Surface* tileset, int width, int height)
{
    SDL_Surface* screen = createScreenSurface(width, height);
    return {screen, tileset, createViewSurface(screen), createPanelFor(screen), false};
}

FrameSurfaces baselineFrame(SDL_Surface* tileset, int width, int height)
{
    SDL_Surface* screen = createScreenSurface(width, height);
    return {screen, convertToRgb24(tileset), createBlendedViewSurface(screen), createPanelFor(screen), true};
}

void freeFrame(const FrameSurfaces& frame)
{
    SDL_FreeSurface(frame.panel);
    SDL_FreeSurface(frame.view);
    SDL_FreeSurface(frame.screen);
    if (frame.ownsTileset) SDL_FreeSurface(frame.tileset);
}

void composeFrame(const Map& map, const FrameSurfaces& surfaces, std::int32_t frame)
{
    drawQuarterView(map, surfaces.tileset, surfaces.view, frame);
    copyViewToScreen(surfaces.view, surfaces.screen);
    blitPanel(surfaces);
}

void blitPanel(const FrameSurfaces& surfaces)
{
    SDL_Rect at{PANEL_MARGIN, static_cast<Sint16>(surfaces.screen->h / 2 + PANEL_MARGIN), 0, 0};
    SDL_BlitSurface(surfaces.panel, nullptr, surfaces.screen, &at);
}

Map benchMap()
{
    Mt19937Source random(MAP_SEED);
    return generateMap(MAP_COLS, MAP_ROWS, random);
}

}  // namespace q47::bench
