// Once the loop runs, a pass allocates nothing on the heap: this program counts every malloc, calloc,
// realloc and aligned allocation (operator new goes through malloc too) while passes run.
#include <gtest/gtest.h>

#include <SDL/SDL.h>

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdint>

#include "bench_scene.h"
#include "map_view.h"
#include "quarter_view.h"

// glibc's own allocator entry points, which the counting replacements below hand every request on to.
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* pointer, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* pointer);
}

namespace {

std::atomic<bool> counting{false};
std::atomic<long> allocations{0};

void note()
{
    if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace

extern "C" {
void* malloc(std::size_t size)
{
    note();
    return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size)
{
    note();
    return __libc_calloc(count, size);
}
void* realloc(void* pointer, std::size_t size)
{
    note();
    return __libc_realloc(pointer, size);
}
void* memalign(std::size_t alignment, std::size_t size)
{
    note();
    return __libc_memalign(alignment, size);
}
void* aligned_alloc(std::size_t alignment, std::size_t size)
{
    note();
    return __libc_memalign(alignment, size);
}
int posix_memalign(void** result, std::size_t alignment, std::size_t size)
{
    note();
    void* pointer = __libc_memalign(alignment, size);
    if (pointer == nullptr) return ENOMEM;
    *result = pointer;
    return 0;
}
void free(void* pointer)
{
    __libc_free(pointer);
}
}

namespace {

constexpr int SCREEN_W = 320;
constexpr int SCREEN_H = 240;
constexpr int PANEL_MARGIN = 16;
constexpr int COUNTED_PASSES = 600;

// Frame counters around the places where the window or the counter wraps, then a run of 512 frames.
std::int32_t counterOfPass(int pass)
{
    static const std::int32_t marks[] = {0, 15, 16, 17, 16383, 16384, 32767, -1, -16, -17, 2147483647, -2147483647 - 1};
    constexpr int MARKS = int(sizeof marks / sizeof marks[0]);
    return pass < MARKS ? marks[pass] : 100 + pass;
}

// The real video subsystem (dummy driver), its screen, and the loop's surfaces, made once.
class FramePass : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        screen_ = SDL_SetVideoMode(SCREEN_W, SCREEN_H, 32, SDL_SWSURFACE);
        ASSERT_NE(screen_, nullptr) << SDL_GetError();
        tileset_ = q47::bench::loadBenchTileset();
        view_ = q47::createViewSurface(screen_);
        const q47::bench::FrameSurfaces like = q47::bench::loopFrame(tileset_.surface, SCREEN_W, SCREEN_H);
        panel_ = like.panel;
        SDL_FreeSurface(like.view);
        SDL_FreeSurface(like.screen);
    }

    void TearDown() override
    {
        SDL_FreeSurface(panel_);
        SDL_FreeSurface(view_);
        SDL_FreeSurface(tileset_.surface);
        SDL_Quit();
    }

    // One pass as the loop makes it, but for the 10 ms wait.
    void pass(std::int32_t frame)
    {
        SDL_Event event;
        while (SDL_PollEvent(&event) != 0) {
        }
        const Uint8* held = SDL_GetKeyState(nullptr);
        quitHeld_ = quitHeld_ || (held[SDLK_LALT] && held[SDLK_F4]);
        q47::drawQuarterView(map_, tileset_.surface, view_, frame);
        q47::copyViewToScreen(view_, screen_);
        SDL_Rect at{PANEL_MARGIN, static_cast<Sint16>(screen_->h / 2 + PANEL_MARGIN), 0, 0};
        SDL_BlitSurface(panel_, nullptr, screen_, &at);
        SDL_Flip(screen_);
    }

    const q47::Map map_ = q47::bench::benchMap();
    SDL_Surface* screen_ = nullptr;
    q47::bench::BenchTileset tileset_{};
    SDL_Surface* view_ = nullptr;
    SDL_Surface* panel_ = nullptr;
    bool quitHeld_ = false;
};

TEST_F(FramePass, TheCounterSeesTheAllocationsOfStartUp)
{
    // Without this the test below could pass with a counter that never counts.
    counting = true;
    SDL_Surface* surface = q47::createViewSurface(screen_);
    counting = false;
    SDL_FreeSurface(surface);
    EXPECT_GT(allocations.exchange(0), 0);
}

TEST_F(FramePass, PassesAfterTheFirstAllocateNothing)
{
    pass(0);  // the first blits build SDL's colour maps between the surfaces; that is start-up work
    allocations = 0;
    counting = true;
    for (int i = 0; i < COUNTED_PASSES; ++i) pass(counterOfPass(i));
    counting = false;
    EXPECT_EQ(allocations.exchange(0), 0) << "heap allocations in " << COUNTED_PASSES << " passes";
    EXPECT_FALSE(quitHeld_);
    RecordProperty("tileset", tileset_.shipped ? "shipped" : "stand-in");
}

}  // namespace
