// Recording stand-ins for the media library calls of the shell, with scripted results.
#include "fake_media.h"

#include <SDL/SDL_image.h>
#include <SDL/SDL_mixer.h>
#include <SDL/SDL_net.h>
#include <SDL/SDL_ttf.h>

#include <algorithm>
#include <cstring>

namespace fake {

namespace {

Media* current = nullptr;
Uint8 keyState[SDLK_LAST];
bool pollingStarted = false;  // a pass begins at its first poll after the previous pass
std::size_t eventCursor = 0;


SDL_Surface* makeSurface(const std::string& name, int w, int h, int bitsPerPixel, Uint32 flags)
{
    Media& m = media();
    auto format = std::make_unique<SDL_PixelFormat>();
    std::memset(format.get(), 0, sizeof(SDL_PixelFormat));
    format->BitsPerPixel = static_cast<Uint8>(bitsPerPixel);
    format->BytesPerPixel = static_cast<Uint8>((bitsPerPixel + 7) / 8);
    auto surface = std::make_unique<SDL_Surface>();
    std::memset(surface.get(), 0, sizeof(SDL_Surface));
    surface->flags = flags;
    surface->w = w;
    surface->h = h;
    surface->pitch = static_cast<Uint16>(w * format->BytesPerPixel);
    auto bytes = std::make_unique<Uint8[]>(static_cast<std::size_t>(surface->pitch) * static_cast<std::size_t>(h) + 4);
    surface->pixels = bytes.get();
    surface->format = format.get();
    SDL_Surface* result = surface.get();
    m.names[result] = name;
    m.surfaces.push_back(std::move(surface));
    m.formats.push_back(std::move(format));
    m.pixels.push_back(std::move(bytes));
    return result;
}

std::string nameOf(const SDL_Surface* surface)
{
    if (surface == nullptr) return "null";
    auto found = media().names.find(surface);
    return found == media().names.end() ? "?" : found->second;
}

}  // namespace

Media& media() { return *current; }

void reset()
{
    static Media* owned = nullptr;
    delete owned;
    owned = new Media();
    current = owned;
    std::memset(keyState, 0, sizeof keyState);
    pollingStarted = false;
    eventCursor = 0;
}

std::vector<std::string> callsWithout(const std::string& call)
{
    std::vector<std::string> kept;
    std::copy_if(media().calls.begin(), media().calls.end(), std::back_inserter(kept),
                 [&](const std::string& c) { return c != call; });
    return kept;
}

}  // namespace fake

using fake::media;

// ---- SDL
int SDL_Init(Uint32 flags)
{
    media().calls.push_back("SDL_Init " + std::to_string(flags));
    return media().sdlInitResult;
}
void SDL_Quit() { media().calls.push_back("SDL_Quit"); }
void SDL_WM_SetCaption(const char* title, const char* icon)
{
    media().calls.push_back(std::string("SDL_WM_SetCaption ") + title + (icon == nullptr ? " null" : " icon"));
}
void SDL_WM_SetIcon(SDL_Surface* icon, Uint8* mask)
{
    media().calls.push_back("SDL_WM_SetIcon " + fake::nameOf(icon) + (mask == nullptr ? " null" : " mask"));
}
SDL_Surface* SDL_SetVideoMode(int width, int height, int bpp, Uint32 flags)
{
    media().calls.push_back("SDL_SetVideoMode " + std::to_string(width) + "x" + std::to_string(height) + " " +
                            std::to_string(bpp) + " " + std::to_string(flags));
    if (media().videoModeFails) return nullptr;
    return fake::makeSurface("screen", width, height, 32, 0);
}
SDL_Surface* SDL_CreateRGBSurface(Uint32 flags, int width, int height, int depth, Uint32, Uint32, Uint32, Uint32)
{
    const std::size_t made = std::count_if(media().calls.begin(), media().calls.end(),
                                           [](const std::string& c) { return c.rfind("SDL_CreateRGBSurface", 0) == 0; });
    media().calls.push_back("SDL_CreateRGBSurface " + std::to_string(flags) + " " + std::to_string(width) + "x" +
                            std::to_string(height) + " " + std::to_string(depth));
    if (media().surfaceCreationsBeforeFailure >= 0 && made >= std::size_t(media().surfaceCreationsBeforeFailure))
        return nullptr;
    return fake::makeSurface(made == 0 ? "view" : "panel", width, height, depth, flags);
}
int SDL_LockSurface(SDL_Surface* surface)
{
    media().calls.push_back("SDL_LockSurface " + fake::nameOf(surface));
    return 0;
}
void SDL_UnlockSurface(SDL_Surface* surface) { media().calls.push_back("SDL_UnlockSurface " + fake::nameOf(surface)); }
int SDL_SetColorKey(SDL_Surface* surface, Uint32 flag, Uint32 key)
{
    media().calls.push_back("SDL_SetColorKey " + fake::nameOf(surface) + " " + std::to_string(flag) + " " +
                            std::to_string(key));
    return 0;
}
int SDL_SetAlpha(SDL_Surface* surface, Uint32 flag, Uint8 alpha)
{
    media().calls.push_back("SDL_SetAlpha " + fake::nameOf(surface) + " " + std::to_string(flag) + " " +
                            std::to_string(alpha));
    surface->flags = (surface->flags & ~Uint32{SDL_SRCALPHA}) | (flag & SDL_SRCALPHA);
    surface->format->alpha = alpha;
    return 0;
}
Uint32 SDL_MapRGB(const SDL_PixelFormat*, Uint8, Uint8, Uint8) { return 0; }
Uint32 SDL_MapRGBA(const SDL_PixelFormat*, Uint8 r, Uint8 g, Uint8 b, Uint8 a)
{
    media().calls.push_back("SDL_MapRGBA " + std::to_string(r) + " " + std::to_string(g) + " " + std::to_string(b) +
                            " " + std::to_string(a));
    return 0;
}
int SDL_FillRect(SDL_Surface* surface, SDL_Rect*, Uint32)
{
    media().calls.push_back("SDL_FillRect " + fake::nameOf(surface));
    return 0;
}
int SDL_UpperBlit(SDL_Surface* src, SDL_Rect*, SDL_Surface* dst, SDL_Rect* at)
{
    std::string call = "SDL_UpperBlit " + fake::nameOf(src) + ">" + fake::nameOf(dst);
    if (fake::nameOf(src) != "tileset" && at != nullptr)
        call += " at " + std::to_string(at->x) + "," + std::to_string(at->y);
    media().calls.push_back(call);
    if (src == nullptr) return -1;
    if (fake::nameOf(src) == "view" && media().passes == media().viewCopyFailsAtPass) return -1;
    return 0;
}
int SDL_Flip(SDL_Surface* screen)
{
    media().calls.push_back("SDL_Flip " + fake::nameOf(screen));
    return 0;
}
void SDL_Delay(Uint32 ms)
{
    media().calls.push_back("SDL_Delay " + std::to_string(ms));
    fake::pollingStarted = false;
    if (media().passes >= media().maxPasses) throw fake::RunawayLoop{};
}
int SDL_PollEvent(SDL_Event* event)
{
    fake::Media& m = media();
    if (!fake::pollingStarted) {
        fake::pollingStarted = true;
        ++m.passes;
        fake::eventCursor = 0;
    }
    m.calls.push_back("SDL_PollEvent");
    const std::size_t pass = static_cast<std::size_t>(m.passes - 1);
    if (pass < m.eventsPerPass.size() && fake::eventCursor < m.eventsPerPass[pass].size()) {
        std::memset(event, 0, sizeof *event);
        event->type = m.eventsPerPass[pass][fake::eventCursor++];
        return 1;
    }
    return 0;
}
Uint8* SDL_GetKeyState(int* count)
{
    fake::Media& m = media();
    m.calls.push_back("SDL_GetKeyState");
    std::memset(fake::keyState, 0, sizeof fake::keyState);
    const std::size_t pass = static_cast<std::size_t>(m.passes - 1);
    if (pass < m.keysHeldPerPass.size())
        for (SDLKey key : m.keysHeldPerPass[pass]) fake::keyState[key] = 1;
    if (count != nullptr) *count = SDLK_LAST;
    return fake::keyState;
}

// ---- SDL_image
SDL_Surface* IMG_Load(const char* file)
{
    media().calls.push_back(std::string("IMG_Load ") + file);
    const bool icon = std::strstr(file, "icon") != nullptr;
    SDL_Surface* picture = icon ? fake::makeSurface("icon", 32, 32, 8, 0) : fake::makeSurface("tileset", 256, 560, 8, 0);
    static_cast<Uint8*>(picture->pixels)[0] = icon ? 5 : 9;  // the top-left pixel, the colour key
    return picture;
}

// ---- SDL_ttf
int TTF_Init()
{
    media().calls.push_back("TTF_Init");
    return media().ttfInitResult;
}
void TTF_Quit() { media().calls.push_back("TTF_Quit"); }
TTF_Font* TTF_OpenFont(const char* file, int size)
{
    media().calls.push_back(std::string("TTF_OpenFont ") + file + " " + std::to_string(size));
    static char font;
    return media().fontFails ? nullptr : reinterpret_cast<TTF_Font*>(&font);
}
SDL_Surface* TTF_RenderUTF8_Blended(TTF_Font*, const char* text, SDL_Color fg)
{
    media().calls.push_back(std::string("TTF_RenderUTF8_Blended ") + text + " " + std::to_string(fg.r) + "," +
                            std::to_string(fg.g) + "," + std::to_string(fg.b));
    return fake::makeSurface("text", 200, 16, 32, 0);
}

// ---- SDL_mixer
int Mix_OpenAudio(int frequency, Uint16 format, int channels, int chunksize)
{
    media().calls.push_back("Mix_OpenAudio " + std::to_string(frequency) + " " + std::to_string(format) + " " +
                            std::to_string(channels) + " " + std::to_string(chunksize));
    return media().openAudioResult;
}
void Mix_CloseAudio() { media().calls.push_back("Mix_CloseAudio"); }
int Mix_HaltMusic()
{
    media().calls.push_back("Mix_HaltMusic");
    return 0;
}
Mix_Music* Mix_LoadMUS(const char* file)
{
    media().calls.push_back(std::string("Mix_LoadMUS ") + file);
    static char music;
    return reinterpret_cast<Mix_Music*>(&music);
}
int Mix_PlayMusic(Mix_Music*, int loops)
{
    media().calls.push_back("Mix_PlayMusic " + std::to_string(loops));
    return media().playMusicResult;
}

// ---- SDL_net
int SDLNet_Init()
{
    media().calls.push_back("SDLNet_Init");
    return media().netInitResult;
}
void SDLNet_Quit() { media().calls.push_back("SDLNet_Quit"); }
