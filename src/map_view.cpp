// The map view layer: the tileset with its colour key, the off-screen view surface, and its copy to the screen.
#include "map_view.h"

#include <SDL/SDL_image.h>

#include "ddddd.h"
#include "failure.h"
#include "torvi_image.h"

namespace q47 {

SDL_Surface* loadTileset(const char* path)
{
    SDL_Surface* tileset = IMG_Load(path);
    // A picture without a single pixel has no top-left pixel to take the colour key from.
    if (tileset == nullptr || tileset->w < 1 || tileset->h < 1) throw Failure("failed tile");
    SDL_LockSurface(tileset);
    SDL_SetColorKey(tileset, SDL_SRCCOLORKEY, getPixel(tileset, 0, 0));
    SDL_UnlockSurface(tileset);
    return tileset;
}

SDL_Surface* loadAtlasTileset(const char* path)
{
    SDL_Surface* tileset = loadTileset(path);
    if (tileset->w < TILESET_W || tileset->h < TILESET_H) throw Failure("failed tile");
    return tileset;
}

SDL_Surface* createViewSurface(const SDL_Surface* screen)
{
    const RGBAMask& mask = rgbaMask();
    SDL_Surface* view = SDL_CreateRGBSurface(0, screen->w, screen->h, screen->format->BitsPerPixel, mask.Rmask,
                                             mask.Gmask, mask.Bmask, mask.Amask);
    if (view == nullptr) throw Failure("failed qvmap");
    // The alpha mask makes SDL give the surface SDL_SRCALPHA, so every copy to the screen would blend.
    // The fill and every tile blit write alpha 255, so a plain copy shows the same picture, at less than
    // half the cost, and exactly: SDL's blend at alpha 255 still lets 1/256 of the old screen through.
    SDL_SetAlpha(view, 0, SDL_ALPHA_OPAQUE);
    return view;
}

void copyViewToScreen(SDL_Surface* view, SDL_Surface* screen)
{
    if (SDL_BlitSurface(view, nullptr, screen, nullptr) < 0) throw Failure("failed blit");
}

}  // namespace q47
