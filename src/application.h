// The application shell: the start-up sequence, the main loop and the composition of each frame.
#pragma once

#include <cstdint>

#include "random_source.h"

namespace q47 {

constexpr int SCREEN_W = 320;
constexpr int SCREEN_H = 240;
constexpr const char* CAPTION = "q47";
constexpr const char* ICON_PATH = "data/images/icon.bmp";
constexpr const char* MUSIC_PATH = "data/sounds/Vostel_sarabando_mi.ogg";
constexpr const char* FONT_PATH = "data/fonts/lumo2_8/lumofont.ttf";
constexpr int FONT_POINT_SIZE = 16;
constexpr const char* TEXT_LINE_1 = "クォータービューのテスト";
constexpr const char* TEXT_LINE_2 = "(これは単なるデモです)";
constexpr int FRAME_WAIT_MS = 10;

// The frame after `frame`; after the largest value it wraps to the smallest, as two's complement does.
constexpr std::int32_t nextFrame(std::int32_t frame)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(frame) + 1u);
}

// Runs the demo until the window is closed or Alt+F4 is pressed, then shuts the media libraries down
// and returns 0. Every failure leaves as a q47::Failure, with the libraries still started.
int main(RandomSource& random);

}  // namespace q47
