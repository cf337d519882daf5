// The order of the media calls at start-up, in a pass of the loop and at shutdown, and which calls a
// failure leaves out, seen through the recording stand-ins of the media libraries.
#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

#include "application.h"
#include "failure.h"
#include "fake_media.h"
#include "random_source.h"

namespace {

using Calls = std::vector<std::string>;

const Calls START_UP{
    "SDL_Init 560",  // audio | video | joystick
    "TTF_Init",
    "Mix_OpenAudio 22050 36880 2 4096",  // signed 16-bit big-endian, stereo
    "SDLNet_Init",
    "SDL_WM_SetCaption q47 null",
    "IMG_Load data/images/icon.bmp",
    "SDL_LockSurface icon",
    "SDL_SetColorKey icon 4096 5",
    "SDL_UnlockSurface icon",
    "SDL_WM_SetIcon icon null",
    "SDL_SetVideoMode 320x240 0 0",
    "Mix_LoadMUS data/sounds/Vostel_sarabando_mi.ogg",
    "Mix_PlayMusic -1",
    "IMG_Load data/images/Torvi070930-7.png",
    "SDL_LockSurface tileset",
    "SDL_SetColorKey tileset 4096 9",
    "SDL_UnlockSurface tileset",
    "SDL_CreateRGBSurface 0 320x240 32",
    "SDL_SetAlpha view 0 255",  // the view is opaque throughout: its copy to the screen need not blend
    "TTF_OpenFont data/fonts/lumo2_8/lumofont.ttf 16",
    "SDL_CreateRGBSurface 65536 288x88 32",
    "SDL_MapRGBA 255 255 255 192",
    "SDL_FillRect panel",
    "TTF_RenderUTF8_Blended クォータービューのテスト 0,0,0",
    "SDL_UpperBlit text>panel at 8,8",
    "TTF_RenderUTF8_Blended (これは単なるデモです) 0,0,0",
    "SDL_UpperBlit text>panel at 8,32",
};

Calls pass(int polls)
{
    Calls calls(static_cast<std::size_t>(polls), "SDL_PollEvent");
    for (const char* call : {"SDL_GetKeyState", "SDL_FillRect view", "SDL_UpperBlit view>screen",
                             "SDL_UpperBlit panel>screen at 16,136", "SDL_Flip screen", "SDL_Delay 10"})
        calls.push_back(call);
    return calls;
}

const Calls SHUTDOWN{"TTF_Quit", "Mix_HaltMusic", "Mix_CloseAudio", "SDLNet_Quit", "SDL_Quit"};

Calls concat(std::initializer_list<Calls> parts)
{
    Calls all;
    for (const Calls& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// Runs the shell against the stand-ins; gives the failure's message, or "" after a normal end.
std::string runShell()
{
    q47::Mt19937Source random(1);
    try {
        EXPECT_EQ(q47::main(random), 0);
        return "";
    } catch (const q47::Failure& failure) {
        return failure.what();
    }
}

// The calls with the renderer's sprite blits left out (their order is the renderer's own business).
Calls shellCalls() { return fake::callsWithout("SDL_UpperBlit tileset>view"); }

class MediaOrder : public ::testing::Test {
protected:
    void SetUp() override { fake::reset(); }
};

TEST_F(MediaOrder, AQuitEventInAMixedDrainStillShowsThatPassesFrameThenShutsDownInOrder)
{
    fake::media().eventsPerPass = {{}, {SDL_MOUSEMOTION, SDL_KEYDOWN, SDL_QUIT, SDL_ACTIVEEVENT}};
    EXPECT_EQ(runShell(), "");
    EXPECT_EQ(shellCalls(), concat({START_UP, pass(1), pass(5), SHUTDOWN}));
}

TEST_F(MediaOrder, AltF4WithEitherAltEndsTheLoopAfterThatPass)
{
    const std::vector<std::pair<const char*, SDLKey>> alts{{"left Alt", SDLK_LALT}, {"right Alt", SDLK_RALT}};
    for (const auto& [name, alt] : alts) {
        SCOPED_TRACE(name);
        fake::reset();
        fake::media().keysHeldPerPass = {{SDLK_F4}, {alt}, {SDLK_LSHIFT, SDLK_F4}, {alt, SDLK_F4}};
        EXPECT_EQ(runShell(), "");
        EXPECT_EQ(shellCalls(), concat({START_UP, pass(1), pass(1), pass(1), pass(1), SHUTDOWN}));
    }
}

TEST_F(MediaOrder, EachPassDrawsTheMapBeforeCopyingItUnderThePanel)
{
    fake::media().eventsPerPass = {{SDL_QUIT}};
    runShell();
    const Calls& calls = fake::media().calls;
    const auto position = [&](const std::string& call) {
        return std::find(calls.begin(), calls.end(), call) - calls.begin();
    };
    const auto firstSprite = position("SDL_UpperBlit tileset>view");
    EXPECT_LT(position("SDL_FillRect view"), firstSprite);
    EXPECT_LT(firstSprite, position("SDL_UpperBlit view>screen"));
}

struct FailureCase {
    const char* name;
    void (*arrange)(fake::Media&);
    const char* message;
    const char* lastCall;  // nothing after it: in particular no shutdown call
};

TEST_F(MediaOrder, EveryFailureStopsAtItsStepWithItsMessageAndNoShutdown)
{
    const std::vector<FailureCase> cases{
        {"SDL does not start", [](fake::Media& m) { m.sdlInitResult = -1; }, "SDL init failed", "SDL_Init 560"},
        {"the font library does not start", [](fake::Media& m) { m.ttfInitResult = -1; }, "TTF init failed",
         "TTF_Init"},
        {"the network library does not start", [](fake::Media& m) { m.netInitResult = -1; },
         "SDL_net init failed", "SDLNet_Init"},
        {"no video mode", [](fake::Media& m) { m.videoModeFails = true; }, "failed video",
         "SDL_SetVideoMode 320x240 0 0"},
        {"the music does not play", [](fake::Media& m) { m.playMusicResult = -1; }, "failed bgm",
         "Mix_PlayMusic -1"},
        {"no view surface", [](fake::Media& m) { m.surfaceCreationsBeforeFailure = 0; }, "failed qvmap",
         "SDL_CreateRGBSurface 0 320x240 32"},
        {"no panel surface", [](fake::Media& m) { m.surfaceCreationsBeforeFailure = 1; }, "failed panel",
         "SDL_CreateRGBSurface 65536 288x88 32"},
        {"the third pass's copy fails", [](fake::Media& m) { m.viewCopyFailsAtPass = 3; }, "failed blit",
         "SDL_UpperBlit view>screen"},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        fake::reset();
        c.arrange(fake::media());
        EXPECT_EQ(runShell(), c.message);
        ASSERT_FALSE(fake::media().calls.empty());
        EXPECT_EQ(fake::media().calls.back(), c.lastCall);
    }
}

TEST_F(MediaOrder, AFailedAudioDeviceIsNotAFailureOfStartUp)
{
    fake::media().openAudioResult = -1;
    fake::media().eventsPerPass = {{SDL_QUIT}};
    EXPECT_EQ(runShell(), "");
    EXPECT_EQ(shellCalls(), concat({START_UP, pass(2), SHUTDOWN}));
}

TEST_F(MediaOrder, AFontThatDoesNotOpenLeavesThePanelBlank)
{
    fake::media().fontFails = true;
    fake::media().eventsPerPass = {{SDL_QUIT}};
    EXPECT_EQ(runShell(), "");
    Calls expected(START_UP.begin(), START_UP.end() - 4);
    EXPECT_EQ(shellCalls(), concat({expected, pass(2), SHUTDOWN}));
}

}  // namespace
