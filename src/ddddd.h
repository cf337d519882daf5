// Media start-up and shutdown, window caption, icon and video mode, and small surface utilities.
#pragma once

#include <SDL/SDL.h>

#include <cstdint>

namespace q47 {

// The one shared set of channel masks of every surface the program creates.
struct RGBAMask {
    std::uint32_t Rmask;
    std::uint32_t Gmask;
    std::uint32_t Bmask;
    std::uint32_t Amask;
};

void initMedia();
void setCaptionAndIcon(const char* caption, const char* iconPath, int keyX, int keyY);
void loadIcon(const char* iconPath, int keyX, int keyY);
SDL_Surface* setVideoMode(int width, int height);
void quitMedia();

// The pixel value at (x, y) in the surface's own format; the caller locks the surface if SDL needs it.
std::uint32_t getPixel(const SDL_Surface* surface, int x, int y);
const RGBAMask& rgbaMask();

}  // namespace q47
