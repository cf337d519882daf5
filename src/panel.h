// The translucent text panel that lies over the map view.
#pragma once

#include <SDL/SDL.h>

namespace q47 {

constexpr Uint8 PANEL_ALPHA = 192;

// A new surface of width x height at the reference's depth, filled with the colour at alpha 192.
// Raises "failed panel" when SDL cannot create it.
SDL_Surface* createPanel(const SDL_Surface* reference, SDL_Color colour, int width, int height);

}  // namespace q47
