// The translucent text panel that lies over the map view.
#include "panel.h"

#include "ddddd.h"
#include "failure.h"

namespace q47 {

SDL_Surface* createPanel(const SDL_Surface* reference, SDL_Color colour, int width, int height)
{
    const RGBAMask& mask = rgbaMask();
    SDL_Surface* panel = SDL_CreateRGBSurface(SDL_SRCALPHA, width, height, reference->format->BitsPerPixel,
                                              mask.Rmask, mask.Gmask, mask.Bmask, mask.Amask);
    if (panel == nullptr) throw Failure("failed panel");
    SDL_FillRect(panel, nullptr, SDL_MapRGBA(panel->format, colour.r, colour.g, colour.b, PANEL_ALPHA));
    return panel;
}

}  // namespace q47
