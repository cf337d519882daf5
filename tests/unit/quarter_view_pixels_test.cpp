// The quarter view's pixels: frames of small fixed maps against reference pictures, and the colour key.
#include <gtest/gtest.h>

#include <SDL/SDL.h>
#include <SDL/SDL_image.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "ddddd.h"
#include "map.h"
#include "map_text.h"
#include "map_view.h"
#include "quarter_view.h"

namespace {

const std::string GOLDEN_DIR = std::string(Q47_SOURCE_DIR) + "/tests/golden/render/";
const std::string TEST_TILESET = GOLDEN_DIR + "data/images/Torvi070930-7.png";
const std::string SHIPPED_TILESET = std::string(Q47_SOURCE_DIR) + "/" + q47::TILESET_PATH;
const std::string FAILURE_DIR = std::string(Q47_BINARY_DIR) + "/render-golden-failures/";

struct GoldenCase {
    std::string golden;
    std::string map;
    std::int32_t frame;
    int width;
    int height;
};

std::vector<GoldenCase> readCases()
{
    std::ifstream in(GOLDEN_DIR + "cases.txt");
    std::vector<GoldenCase> cases;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        GoldenCase c;
        char cross = 0;
        long long frame = 0;
        fields >> c.golden >> c.map >> frame >> c.width >> cross >> c.height;
        if (!fields || cross != 'x') {
            ADD_FAILURE() << "malformed line in cases.txt: " << line;
            continue;
        }
        c.frame = static_cast<std::int32_t>(frame);
        cases.push_back(c);
    }
    return cases;
}

q47::Map readMapFile(const std::string& path)
{
    std::ifstream in(path);
    return q47::readMapText(in);
}

SDL_Surface* createTarget(int width, int height)
{
    const q47::RGBAMask& mask = q47::rgbaMask();
    return SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 32, mask.Rmask, mask.Gmask, mask.Bmask, mask.Amask);
}

std::uint32_t rgbAt(SDL_Surface* surface, int x, int y)
{
    Uint8 r = 0, g = 0, b = 0;
    SDL_LockSurface(surface);
    SDL_GetRGB(q47::getPixel(surface, x, y), surface->format, &r, &g, &b);
    SDL_UnlockSurface(surface);
    return (std::uint32_t{r} << 16) | (std::uint32_t{g} << 8) | b;
}

std::string hex(std::uint32_t rgb)
{
    char text[8];
    std::snprintf(text, sizeof text, "%06x", static_cast<unsigned>(rgb & 0xFFFFFF));
    return text;
}

// Both pictures beside each other, actual on the left, so a person can see what differs.
std::string saveSideBySide(SDL_Surface* actual, SDL_Surface* expected, const std::string& name)
{
    mkdir(FAILURE_DIR.c_str(), 0755);
    SDL_Surface* both = createTarget(actual->w + expected->w, std::max(actual->h, expected->h));
    SDL_Rect right = {static_cast<Sint16>(actual->w), 0, 0, 0};
    SDL_SetAlpha(actual, 0, 255);
    SDL_BlitSurface(actual, nullptr, both, nullptr);
    SDL_BlitSurface(expected, nullptr, both, &right);
    const std::string path = FAILURE_DIR + name + ".bmp";
    SDL_SaveBMP(both, path.c_str());
    SDL_FreeSurface(both);
    return path;
}

// Empty when the pictures agree; otherwise the first differing pixel and how many differ.
std::string comparePictures(SDL_Surface* actual, SDL_Surface* expected)
{
    if (actual->w != expected->w || actual->h != expected->h) {
        return "size: expected " + std::to_string(expected->w) + "x" + std::to_string(expected->h) + ", got " +
               std::to_string(actual->w) + "x" + std::to_string(actual->h);
    }
    std::string first;
    long differing = 0;
    for (int y = 0; y < actual->h; ++y) {
        for (int x = 0; x < actual->w; ++x) {
            const std::uint32_t want = rgbAt(expected, x, y);
            const std::uint32_t got = rgbAt(actual, x, y);
            if (want == got) continue;
            if (differing++ == 0) {
                first = "pixel (" + std::to_string(x) + ", " + std::to_string(y) + "): expected " + hex(want) +
                        ", got " + hex(got);
            }
        }
    }
    return differing == 0 ? "" : first + " (" + std::to_string(differing) + " pixels differ)";
}

TEST(QuarterViewPixels, FramesMatchTheirReferencePictures)
{
    const std::vector<GoldenCase> cases = readCases();
    ASSERT_GE(cases.size(), 6u) << "cases.txt lost its cases";
    SDL_Surface* tileset = q47::loadTileset(TEST_TILESET.c_str());
    for (const GoldenCase& c : cases) {
        const std::string name = c.golden.substr(0, c.golden.size() - 4) + "-frame" + std::to_string(c.frame);
        SCOPED_TRACE(name + " (" + c.map + ", " + std::to_string(c.width) + "x" + std::to_string(c.height) + ")");
        const q47::Map map = readMapFile(GOLDEN_DIR + c.map);
        SDL_Surface* expected = IMG_Load((GOLDEN_DIR + c.golden).c_str());
        ASSERT_NE(expected, nullptr) << IMG_GetError();
        SDL_Surface* actual = createTarget(c.width, c.height);
        ASSERT_NE(actual, nullptr);
        q47::drawQuarterView(map, tileset, actual, c.frame);
        const std::string difference = comparePictures(actual, expected);
        if (!difference.empty()) {
            ADD_FAILURE() << difference << "; both saved in " << saveSideBySide(actual, expected, name);
        }
        SDL_FreeSurface(actual);
        SDL_FreeSurface(expected);
    }
    SDL_FreeSurface(tileset);
}

// Every code on some cell, ground and object alike, so that each sprite and the whole tileset are drawn.
q47::Map everyCodeMap()
{
    q47::Map map(q47::MAP_COLS, q47::MAP_ROWS);
    for (int r = 0; r < q47::MAP_ROWS; ++r) {
        for (int c = 0; c < q47::MAP_COLS; ++c) {
            const int n = r * q47::MAP_COLS + c;
            map.at(r, c) = q47::Cell{static_cast<std::uint8_t>(n % 13 == 0 ? n / 13 : n % 12),
                                     static_cast<std::uint8_t>((n * 7 + 3) % 256)};
        }
    }
    return map;
}

bool fileExists(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

void expectKeyColourNeverDrawn(const std::string& tilesetPath)
{
    SDL_Surface* tileset = q47::loadTileset(tilesetPath.c_str());
    const std::uint32_t key = rgbAt(tileset, 0, 0);
    const q47::Map map = everyCodeMap();
    SDL_Surface* target = createTarget(320, 240);
    for (const std::int32_t frame : {0, 7, 37, 5000, 16383, -5}) {
        SCOPED_TRACE("frame " + std::to_string(frame));
        q47::drawQuarterView(map, tileset, target, frame);
        long keyed = 0, drawn = 0;
        std::string first;
        for (int y = 0; y < target->h; ++y) {
            for (int x = 0; x < target->w; ++x) {
                const std::uint32_t rgb = rgbAt(target, x, y);
                drawn += rgb != 0 ? 1 : 0;
                if (rgb == key && keyed++ == 0) first = "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
            }
        }
        EXPECT_EQ(keyed, 0) << "key colour " << hex(key) << " reached the target, first at " << first;
        EXPECT_GT(drawn, 320 * 240 / 2) << "the frame is mostly black: nothing was drawn";
    }
    SDL_FreeSurface(target);
    SDL_FreeSurface(tileset);
}

TEST(QuarterViewPixels, TheKeyColourOfTheTestTilesetNeverReachesTheTarget)
{
    expectKeyColourNeverDrawn(TEST_TILESET);
}

TEST(QuarterViewPixels, TheKeyColourOfTheShippedTilesetNeverReachesTheTarget)
{
    if (!fileExists(SHIPPED_TILESET)) GTEST_SKIP() << SHIPPED_TILESET << " is not there yet";
    expectKeyColourNeverDrawn(SHIPPED_TILESET);
}

}  // namespace
