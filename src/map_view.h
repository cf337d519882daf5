// The map view layer: the tileset with its colour key, the off-screen view surface, and its copy to the screen.
#pragma once

#include <SDL/SDL.h>

namespace q47 {

constexpr const char* TILESET_PATH = "data/images/Torvi070930-7.png";

// Loads the tileset and makes the colour of its top-left pixel transparent; raises "failed tile".
SDL_Surface* loadTileset(const char* path);

// The program's tileset: loaded as loadTileset does, and also refused with "failed tile" when the picture
// is too small to hold every sprite of the atlas (a cut or replaced file), since nothing could be drawn.
SDL_Surface* loadAtlasTileset(const char* path);

// An off-screen surface of the screen's size and depth with the shared RGBA masks; raises "failed qvmap".
SDL_Surface* createViewSurface(const SDL_Surface* screen);

// Copies the whole view surface to the screen at (0, 0); raises "failed blit".
void copyViewToScreen(SDL_Surface* view, SDL_Surface* screen);

}  // namespace q47
