// Surfaces and a map for measuring frames: the loop's own composition and the straightforward one.
#pragma once

#include <SDL/SDL.h>

#include <cstdint>
#include <string>

#include "map.h"

namespace q47::bench {

constexpr std::uint32_t MAP_SEED = 47;  // one fixed map, so runs compare

// The tileset a measurement draws with: the shipped picture when it is there, otherwise a stand-in of
// the same size and kind (8-bit indexed, transparent colour in the top-left pixel) painted at run time.
struct BenchTileset {
    SDL_Surface* surface;
    bool shipped;
    std::string path;
};
BenchTileset loadBenchTileset();

// A surface in the format that X11 gives the window at depth 24: 32-bit, R 0xFF0000, G 0xFF00, B 0xFF.
SDL_Surface* createScreenSurface(int width, int height);

// The view surface as SDL_CreateRGBSurface makes it with the shared RGBA masks: the alpha mask gives
// it SDL_SRCALPHA, so every copy to the screen blends.
SDL_Surface* createBlendedViewSurface(const SDL_Surface* screen);

// A 24-bit RGB copy of the tileset, its colour key taken from its own top-left pixel.
SDL_Surface* convertToRgb24(SDL_Surface* tileset);

// Everything one frame is composed from.
struct FrameSurfaces {
    SDL_Surface* screen;
    SDL_Surface* tileset;
    SDL_Surface* view;
    SDL_Surface* panel;
    bool ownsTileset;  // the baseline's 24-bit copy belongs to the frame, the loaded tileset does not
};

// As the program's loop has them: the tileset as loaded, the view surface from createViewSurface.
FrameSurfaces loopFrame(SDL_Surface* tileset, int width, int height);
// The straightforward way: a 24-bit RGB tileset and a view surface that blends.
FrameSurfaces baselineFrame(SDL_Surface* tileset, int width, int height);
void freeFrame(const FrameSurfaces& frame);

// The panel over the lower half of the screen, 16 pixels in from the edges, blended.
void blitPanel(const FrameSurfaces& surfaces);

// One frame as the loop composes it, without the flip: draw, copy the view to the screen, the panel.
void composeFrame(const Map& map, const FrameSurfaces& surfaces, std::int32_t frame);

Map benchMap();

}  // namespace q47::bench
