// Media start-up and shutdown, window caption, icon and video mode, and small surface utilities.
#include "ddddd.h"

#include <SDL/SDL_image.h>
#include <SDL/SDL_mixer.h>
#include <SDL/SDL_net.h>
#include <SDL/SDL_ttf.h>

#include "failure.h"

namespace q47 {

namespace {

constexpr Uint32 MEDIA_SUBSYSTEMS = SDL_INIT_AUDIO | SDL_INIT_VIDEO | SDL_INIT_JOYSTICK;  // 0x230
constexpr int AUDIO_FREQUENCY = 22050;
constexpr Uint16 AUDIO_SAMPLE_FORMAT = AUDIO_S16MSB;  // 0x9010: big-endian, as the music was always opened
constexpr int AUDIO_CHANNELS = 2;
constexpr int AUDIO_CHUNK_SIZE = 4096;
constexpr int NO_KEY = -1;

static_assert(MEDIA_SUBSYSTEMS == 0x230, "audio, video and joystick");
static_assert(AUDIO_S16MSB == 0x9010, "signed 16-bit big-endian samples");

// The key position must name a pixel of the icon; anything else leaves the icon without a key.
bool isInside(const SDL_Surface* surface, int x, int y)
{
    return x >= 0 && y >= 0 && x < surface->w && y < surface->h;
}

}  // namespace

void initMedia()
{
    if (SDL_Init(MEDIA_SUBSYSTEMS) < 0) throw Failure("SDL init failed");
    if (TTF_Init() < 0) throw Failure("TTF init failed");
    // Start-up goes on without an audio device; the music start reports it.
    Mix_OpenAudio(AUDIO_FREQUENCY, AUDIO_SAMPLE_FORMAT, AUDIO_CHANNELS, AUDIO_CHUNK_SIZE);
    if (SDLNet_Init() < 0) throw Failure("SDL_net init failed");
}

void setCaptionAndIcon(const char* caption, const char* iconPath, int keyX, int keyY)
{
    if (caption != nullptr) SDL_WM_SetCaption(caption, nullptr);
    if (iconPath != nullptr) loadIcon(iconPath, keyX, keyY);
}

// The icon is optional: every problem with it only leaves the window without it.
void loadIcon(const char* iconPath, int keyX, int keyY)
{
    SDL_Surface* icon = IMG_Load(iconPath);
    if (icon == nullptr) return;
    if (keyX != NO_KEY && keyY != NO_KEY && isInside(icon, keyX, keyY)) {
        if (SDL_LockSurface(icon) != 0) return;
        SDL_SetColorKey(icon, SDL_SRCCOLORKEY, getPixel(icon, keyX, keyY));
        SDL_UnlockSurface(icon);
    }
    // With no mask, SDL makes every pixel of the colour key transparent in the window icon.
    SDL_WM_SetIcon(icon, nullptr);
}

SDL_Surface* setVideoMode(int width, int height)
{
    return SDL_SetVideoMode(width, height, 0, 0);
}

void quitMedia()
{
    TTF_Quit();
    Mix_HaltMusic();
    Mix_CloseAudio();
    SDLNet_Quit();
    SDL_Quit();
}

std::uint32_t getPixel(const SDL_Surface* surface, int x, int y)
{
    const int bytes = surface->format->BytesPerPixel;
    if (bytes < 1 || bytes > 4) return 0;
    const Uint8* p = static_cast<const Uint8*>(surface->pixels) + static_cast<std::ptrdiff_t>(y) * surface->pitch +
                     static_cast<std::ptrdiff_t>(x) * bytes;
    switch (bytes) {
    case 1:
        return *p;
    case 2:
        return *reinterpret_cast<const Uint16*>(p);
    case 3:
        // Three-byte pixels are read byte by byte, lowest first, whatever the machine's byte order.
        return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
               static_cast<std::uint32_t>(p[2]) << 16;
    default:
        return *reinterpret_cast<const Uint32*>(p);
    }
}

const RGBAMask& rgbaMask()
{
    // Byte order red, green, blue, alpha in memory on a little-endian machine.
    static const RGBAMask shared{0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000};
    return shared;
}

}  // namespace q47
