// The application shell: the start-up sequence, the main loop and the composition of each frame.
#include "application.h"

#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>
#include <SDL/SDL_ttf.h>

#include "ddddd.h"
#include "failure.h"
#include "map.h"
#include "map_generator.h"
#include "map_view.h"
#include "panel.h"
#include "quarter_view.h"

namespace q47 {

namespace {

constexpr int LOOP_FOREVER = -1;
constexpr SDL_Color WHITE{255, 255, 255, 0};
constexpr SDL_Color BLACK{0, 0, 0, 0};
constexpr int PANEL_MARGIN = 16;
constexpr Sint16 TEXT_X = 8;
constexpr Sint16 TEXT_LINE_1_Y = 8;
constexpr Sint16 TEXT_LINE_2_Y = 32;

#ifdef Q47_TEST_FRAME_LIMIT
// Test builds only: the long-run test ends the loop after this many passes and skips the wait.
constexpr long FRAME_LIMIT = Q47_TEST_FRAME_LIMIT;
#else
constexpr long FRAME_LIMIT = 0;  // none: the loop runs until the user ends it
#endif

// Everything the loop draws with; made once at start and kept, never freed, until the process ends.
struct Scene {
    SDL_Surface* screen;
    SDL_Surface* tileset;
    SDL_Surface* view;
    SDL_Surface* panel;
};

void startMusic()
{
    Mix_Music* music = Mix_LoadMUS(MUSIC_PATH);
    // A music that did not load reaches the play request as null, which fails it too.
    if (Mix_PlayMusic(music, LOOP_FOREVER) < 0) throw Failure("failed bgm");
}

void blitText(TTF_Font* font, const char* text, SDL_Surface* panel, Sint16 y)
{
    SDL_Surface* line = TTF_RenderUTF8_Blended(font, text, BLACK);
    SDL_Rect at{TEXT_X, y, 0, 0};
    SDL_BlitSurface(line, nullptr, panel, &at);  // a line that did not render is simply missing
}

// The panel covers the lower half of the screen but a 16-pixel margin, with the two text lines on it.
SDL_Surface* createTextPanel(const SDL_Surface* screen)
{
    TTF_Font* font = TTF_OpenFont(FONT_PATH, FONT_POINT_SIZE);
    SDL_Surface* panel =
        createPanel(screen, WHITE, screen->w - 2 * PANEL_MARGIN, screen->h / 2 - 2 * PANEL_MARGIN);
    if (font != nullptr) {  // without a font the panel goes on blank
        blitText(font, TEXT_LINE_1, panel, TEXT_LINE_1_Y);
        blitText(font, TEXT_LINE_2, panel, TEXT_LINE_2_Y);
    }
    return panel;
}

// Reads every pending event; tells whether one of them asked the program to quit.
bool drainEvents()
{
    bool quit = false;
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        if (event.type == SDL_QUIT) quit = true;
    }
    return quit;
}

bool altF4Held()
{
    const Uint8* held = SDL_GetKeyState(nullptr);
    return (held[SDLK_LALT] || held[SDLK_RALT]) && held[SDLK_F4];
}

void blitPanel(SDL_Surface* panel, SDL_Surface* screen)
{
    SDL_Rect at{PANEL_MARGIN, static_cast<Sint16>(screen->h / 2 + PANEL_MARGIN), 0, 0};
    SDL_BlitSurface(panel, nullptr, screen, &at);
}

void presentFrame(const Scene& scene, const Map& map, std::int32_t frame)
{
    drawQuarterView(map, scene.tileset, scene.view, frame);
    copyViewToScreen(scene.view, scene.screen);
    blitPanel(scene.panel, scene.screen);
    SDL_Flip(scene.screen);
}

}  // namespace

int main(RandomSource& random)
{
    // Start-up.
    initMedia();
    setCaptionAndIcon(CAPTION, ICON_PATH, 0, 0);
    Scene scene{};
    scene.screen = setVideoMode(SCREEN_W, SCREEN_H);
    if (scene.screen == nullptr) throw Failure("failed video");
    startMusic();
    scene.tileset = loadAtlasTileset(TILESET_PATH);
    scene.view = createViewSurface(scene.screen);
    const Map map = generateMap(MAP_COLS, MAP_ROWS, random);
    scene.panel = createTextPanel(scene.screen);

    // The quit flag is looked at only here, so the pass that sets it still shows its frame.
    std::int32_t frame = 0;
    long passes = 0;
    bool quit = false;
    while (!quit) {
        if (drainEvents()) quit = true;
        if (altF4Held()) quit = true;
        if (FRAME_LIMIT > 0 && ++passes >= FRAME_LIMIT) quit = true;
        presentFrame(scene, map, frame);
        if (FRAME_LIMIT == 0) SDL_Delay(FRAME_WAIT_MS);
        frame = nextFrame(frame);
    }

    quitMedia();
    return 0;
}

}  // namespace q47
