// Benchmarks of map generation, the renderer and the whole frame, beside the straightforward frame
// (24-bit RGB tileset, blended view copy) that the loop's frame is weighed against in the same run.
#include <benchmark/benchmark.h>

#include <SDL/SDL.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "bench_scene.h"
#include "map_generator.h"
#include "map_view.h"
#include "quarter_view.h"
#include "random_source.h"

namespace {

using q47::bench::FrameSurfaces;

// Successive iterations step through the frame counters by an odd stride, so that over 16384
// iterations every scroll position of the ring is drawn once, and any run sees a spread of them.
constexpr std::int32_t FRAME_STRIDE = 1237;
constexpr std::int32_t FRAME_RING = q47::ROW_RING * q47::FRAMES_PER_ROW;

std::int32_t frameAt(std::int64_t iteration)
{
    return static_cast<std::int32_t>((iteration * FRAME_STRIDE) % FRAME_RING);
}

const q47::Map& sharedMap()
{
    static const q47::Map map = q47::bench::benchMap();
    return map;
}

const q47::bench::BenchTileset& sharedTileset()
{
    static const q47::bench::BenchTileset tileset = q47::bench::loadBenchTileset();
    return tileset;
}

void labelTileset(benchmark::State& state)
{
    state.SetLabel(sharedTileset().shipped ? "shipped tileset" : "stand-in tileset");
}

double minimum(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }
double maximum(const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); }

void generateMap(benchmark::State& state)
{
    std::uint32_t seed = q47::bench::MAP_SEED;
    for (auto _ : state) {
        q47::Mt19937Source random(seed++);
        q47::Map map = q47::generateMap(q47::MAP_COLS, q47::MAP_ROWS, random);
        benchmark::DoNotOptimize(map);
    }
}

// Drawing alone, into the frame's view surface from the frame's tileset.
void drawFrames(benchmark::State& state, const FrameSurfaces& surfaces)
{
    labelTileset(state);
    std::int64_t iteration = 0;
    for (auto _ : state) {
        q47::drawQuarterView(sharedMap(), surfaces.tileset, surfaces.view, frameAt(iteration++));
        benchmark::ClobberMemory();
    }
    q47::bench::freeFrame(surfaces);
}

void drawQuarterView(benchmark::State& state)
{
    drawFrames(state, q47::bench::loopFrame(sharedTileset().surface, int(state.range(0)), int(state.range(1))));
}

void composeFrames(benchmark::State& state, const FrameSurfaces& surfaces)
{
    labelTileset(state);
    std::int64_t iteration = 0;
    for (auto _ : state) {
        q47::bench::composeFrame(sharedMap(), surfaces, frameAt(iteration++));
        benchmark::ClobberMemory();
    }
    q47::bench::freeFrame(surfaces);
}

void wholeFrame(benchmark::State& state)
{
    composeFrames(state, q47::bench::loopFrame(sharedTileset().surface, int(state.range(0)), int(state.range(1))));
}

void baselineFrame(benchmark::State& state)
{
    composeFrames(state,
                  q47::bench::baselineFrame(sharedTileset().surface, int(state.range(0)), int(state.range(1))));
}

// The view-to-screen copy alone, of a drawn frame: the opaque copy the loop makes, and the blended one.
void viewCopy(benchmark::State& state, const FrameSurfaces& surfaces)
{
    q47::drawQuarterView(sharedMap(), surfaces.tileset, surfaces.view, 0);
    for (auto _ : state) {
        q47::copyViewToScreen(surfaces.view, surfaces.screen);
        benchmark::ClobberMemory();
    }
    q47::bench::freeFrame(surfaces);
}

void viewCopyOpaque(benchmark::State& state)
{
    viewCopy(state, q47::bench::loopFrame(sharedTileset().surface, int(state.range(0)), int(state.range(1))));
}

void viewCopyBlended(benchmark::State& state)
{
    viewCopy(state, q47::bench::baselineFrame(sharedTileset().surface, int(state.range(0)), int(state.range(1))));
}

// The straightforward frame's drawing alone: colour-keyed blits from the 24-bit RGB tileset.
void drawQuarterViewRgb24(benchmark::State& state)
{
    drawFrames(state,
               q47::bench::baselineFrame(sharedTileset().surface, int(state.range(0)), int(state.range(1))));
}

// The panel's blended blit, the same in both frames.
void panelBlit(benchmark::State& state)
{
    const FrameSurfaces surfaces = q47::bench::loopFrame(sharedTileset().surface, int(state.range(0)),
                                                         int(state.range(1)));
    for (auto _ : state) {
        q47::bench::blitPanel(surfaces);
        benchmark::ClobberMemory();
    }
    q47::bench::freeFrame(surfaces);
}

void withSpread(benchmark::internal::Benchmark* b)
{
    b->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", minimum)->ComputeStatistics("max", maximum);
}

void onTargets(benchmark::internal::Benchmark* b)
{
    withSpread(b);
    b->Args({320, 240})->Args({640, 480});
}

BENCHMARK(generateMap)->Apply(withSpread);
BENCHMARK(drawQuarterView)->Apply(onTargets);
BENCHMARK(wholeFrame)->Apply(onTargets);
BENCHMARK(baselineFrame)->Apply(onTargets);
BENCHMARK(drawQuarterViewRgb24)->Apply(onTargets);
BENCHMARK(viewCopyOpaque)->Apply(onTargets);
BENCHMARK(viewCopyBlended)->Apply(onTargets);
BENCHMARK(panelBlit)->Apply(onTargets);

}  // namespace

BENCHMARK_MAIN();
