// Recording stand-ins for the media library calls of the shell, with scripted results.
#pragma once

#include <SDL/SDL.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace fake {

struct Media {
    std::vector<std::string> calls;  // one entry per call, in order; blits name their surfaces

    int sdlInitResult = 0;
    int ttfInitResult = 0;
    int openAudioResult = 0;
    int netInitResult = 0;
    int playMusicResult = 0;
    bool videoModeFails = false;
    bool fontFails = false;
    int surfaceCreationsBeforeFailure = -1;  // -1: every SDL_CreateRGBSurface succeeds
    int viewCopyFailsAtPass = -1;            // the pass (from 1) whose view-to-screen copy fails

    std::vector<std::vector<Uint8>> eventsPerPass;      // the events each pass's drain finds
    std::vector<std::set<SDLKey>> keysHeldPerPass;      // the keys held at each pass's key test
    int passes = 0;                                     // counted at each pass's first poll
    int maxPasses = 50;                                 // a runaway loop ends the test

    std::map<const SDL_Surface*, std::string> names;
    std::vector<std::unique_ptr<SDL_Surface>> surfaces;
    std::vector<std::unique_ptr<SDL_PixelFormat>> formats;
    std::vector<std::unique_ptr<Uint8[]>> pixels;
};

Media& media();
void reset();

// What each blit drew from and to, e.g. "SDL_UpperBlit view>screen".
std::vector<std::string> callsWithout(const std::string& call);

struct RunawayLoop {};

}  // namespace fake
