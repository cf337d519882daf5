// q47-render: draws frames of the quarter view into BMP files, without a display.
#include <SDL/SDL.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "ddddd.h"
#include "map.h"
#include "map_generator.h"
#include "map_text.h"
#include "map_view.h"
#include "quarter_view.h"
#include "random_source.h"
#include "scripted_source.h"

namespace {

constexpr const char* USAGE =
    "usage: q47-render (--seed N | --draws FILE | --map FILE) [--frame F] [--size WxH] [--data DIR] "
    "[--count K] --out FILE.bmp";
constexpr const char* TILESET_IN_DATA = "images/Torvi070930-7.png";
constexpr int DEFAULT_WIDTH = 320;
constexpr int DEFAULT_HEIGHT = 240;
constexpr long MAX_SIDE = 4096;
constexpr long MAX_COUNT = 10000;  // numbered files keep four digits
constexpr int TARGET_DEPTH = 32;

// Anything that stops the tool; what() is the line that follows "q47-render: ".
class ToolError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class MapSource { None, Seed, Draws, MapFile };

struct Options {
    MapSource source = MapSource::None;
    std::uint32_t seed = 0;
    std::string mapSourcePath;
    std::int32_t frame = 0;
    int width = DEFAULT_WIDTH;
    int height = DEFAULT_HEIGHT;
    std::string dataDir = "data";
    long count = 0;  // 0: one file named exactly as --out
    std::string out;
};

// Whole-string decimal with an optional leading minus; anything else, or a value out of range, is refused.
long long parseInteger(const std::string& text, long long low, long long high, const std::string& what)
{
    const bool digitsOnly = !text.empty() && text.find_first_not_of("0123456789", text[0] == '-' ? 1 : 0) ==
                                                 std::string::npos && text != "-";
    if (!digitsOnly) {
        throw ToolError(what + " is not a decimal number: '" + text + "'");
    }
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (errno == ERANGE || value < low || value > high) {
        throw ToolError(what + " out of range (" + std::to_string(low) + " to " + std::to_string(high) +
                        "): " + text);
    }
    return value;
}

// Seeds are read as q47-map reads them, so one seed names one map in both tools.
std::uint32_t parseSeed(const std::string& text)
{
    try {
        return q47::parseUnsigned32(text);
    } catch (const q47::TextFormatError& error) {
        throw ToolError(std::string("seed: ") + error.what());
    }
}

void parseSize(const std::string& text, Options& options)
{
    const std::size_t cross = text.find('x');
    if (cross == std::string::npos) {
        throw ToolError("--size wants WxH, got '" + text + "'");
    }
    options.width = static_cast<int>(parseInteger(text.substr(0, cross), 1, MAX_SIDE, "width"));
    options.height = static_cast<int>(parseInteger(text.substr(cross + 1), 1, MAX_SIDE, "height"));
}

void chooseSource(Options& options, MapSource source)
{
    if (options.source != MapSource::None) {
        throw ToolError("give only one of --seed, --draws and --map");
    }
    options.source = source;
}

bool endsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

Options parseOptions(int argc, char** argv)
{
    Options options;
    bool sawFrame = false, sawSize = false, sawData = false, sawCount = false;
    for (int a = 1; a < argc; ++a) {
        const std::string option = argv[a];
        if (a + 1 >= argc) {
            throw ToolError("unknown option or missing value: " + option + "; " + USAGE);
        }
        const std::string value = argv[++a];
        auto once = [&](bool& seen) {
            if (seen) throw ToolError(option + " given twice");
            seen = true;
        };
        if (option == "--seed") {
            chooseSource(options, MapSource::Seed);
            options.seed = parseSeed(value);
        } else if (option == "--draws") {
            chooseSource(options, MapSource::Draws);
            options.mapSourcePath = value;
        } else if (option == "--map") {
            chooseSource(options, MapSource::MapFile);
            options.mapSourcePath = value;
        } else if (option == "--frame") {
            once(sawFrame);
            options.frame = static_cast<std::int32_t>(parseInteger(
                value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max(), "frame"));
        } else if (option == "--size") {
            once(sawSize);
            parseSize(value, options);
        } else if (option == "--data") {
            once(sawData);
            options.dataDir = value;
        } else if (option == "--count") {
            once(sawCount);
            options.count = static_cast<long>(parseInteger(value, 1, MAX_COUNT, "count"));
        } else if (option == "--out") {
            if (!options.out.empty()) throw ToolError("--out given twice");
            options.out = value;
        } else {
            throw ToolError("unknown option: " + option + "; " + USAGE);
        }
    }
    if (options.source == MapSource::None) {
        throw ToolError("one of --seed, --draws and --map is needed");
    }
    if (options.out.empty()) {
        throw ToolError("--out FILE.bmp is needed");
    }
    if (!endsWith(options.out, ".bmp") || options.out.size() == 4) {
        throw ToolError("--out must name a .bmp file: " + options.out);
    }
    return options;
}

// stdio reports a read error (a directory, say) where a stream would only stop early.
std::string readWholeFile(const std::string& path)
{
    const bool standardInput = path == "-";
    std::FILE* file = standardInput ? stdin : std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        throw ToolError("cannot open " + path);
    }
    std::string text;
    char buffer[65536];
    std::size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        text.append(buffer, count);
    }
    const bool failed = std::ferror(file) != 0;
    if (!standardInput) {
        std::fclose(file);
    }
    if (failed) {
        throw ToolError("cannot read " + path);
    }
    return text;
}

std::vector<std::uint32_t> readDraws(const std::string& path)
{
    const std::string text = readWholeFile(path);
    try {
        return q47::parseDraws(text);
    } catch (const q47::TextFormatError& error) {
        throw ToolError(path + ": " + error.what());
    }
}

q47::Map buildMap(const Options& options)
{
    switch (options.source) {
    case MapSource::Seed: {
        q47::Mt19937Source random(options.seed);
        return q47::generateMap(q47::MAP_COLS, q47::MAP_ROWS, random);
    }
    case MapSource::Draws: {
        q47::ScriptedSource random(readDraws(options.mapSourcePath));
        return q47::generateMap(q47::MAP_COLS, q47::MAP_ROWS, random);
    }
    case MapSource::MapFile: {
        std::istringstream text(readWholeFile(options.mapSourcePath));
        try {
            return q47::readMapText(text);
        } catch (const q47::TextFormatError& error) {
            throw ToolError(options.mapSourcePath + ": " + error.what());
        }
    }
    case MapSource::None:
        break;
    }
    throw ToolError("no map source");
}

using SurfaceHandle = std::unique_ptr<SDL_Surface, void (*)(SDL_Surface*)>;

SurfaceHandle owned(SDL_Surface* surface)
{
    return SurfaceHandle(surface, SDL_FreeSurface);
}

SDL_Surface* loadTilesetFrom(const std::string& dataDir)
{
    const std::string path = dataDir + "/" + TILESET_IN_DATA;
    try {
        return q47::loadTileset(path.c_str());
    } catch (const std::exception& failure) {
        throw ToolError("tileset " + path + " does not load (" + failure.what() + ": " + SDL_GetError() + ")");
    }
}

SDL_Surface* createTarget(int width, int height)
{
    const q47::RGBAMask& mask = q47::rgbaMask();
    SDL_Surface* target = SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, TARGET_DEPTH, mask.Rmask, mask.Gmask,
                                               mask.Bmask, mask.Amask);
    if (target == nullptr) {
        throw ToolError(std::string("cannot create the target surface: ") + SDL_GetError());
    }
    return target;
}

// File k of a run: "shot.bmp" becomes "shot-0000.bmp", "shot-0001.bmp", ...
std::string numberedName(const std::string& out, long k)
{
    char number[32];
    std::snprintf(number, sizeof number, "-%04ld", k);
    return out.substr(0, out.size() - 4) + number + ".bmp";
}

// The frame counter k frames on, wrapping in two's complement as the program's counter does.
std::int32_t frameAfter(std::int32_t frame, long k)
{
    const std::uint32_t bits = static_cast<std::uint32_t>(frame) + static_cast<std::uint32_t>(k);
    if (bits <= static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max())) {
        return static_cast<std::int32_t>(bits);
    }
    return -static_cast<std::int32_t>(~bits) - 1;
}

// Removes what this run wrote if the run does not finish, so that a failure leaves no output behind.
class WrittenFiles {
public:
    ~WrittenFiles()
    {
        if (!kept_) {
            for (const std::string& path : paths_) std::remove(path.c_str());
        }
    }
    void add(const std::string& path) { paths_.push_back(path); }
    void keep() { kept_ = true; }

private:
    std::vector<std::string> paths_;
    bool kept_ = false;
};

void renderFrames(const Options& options)
{
    const q47::Map map = buildMap(options);
    const SurfaceHandle tileset = owned(loadTilesetFrom(options.dataDir));
    const SurfaceHandle target = owned(createTarget(options.width, options.height));
    WrittenFiles written;
    const long files = options.count == 0 ? 1 : options.count;
    for (long k = 0; k < files; ++k) {
        const std::string path = options.count == 0 ? options.out : numberedName(options.out, k);
        q47::drawQuarterView(map, tileset.get(), target.get(), frameAfter(options.frame, k));
        written.add(path);  // SDL may leave a partial file behind when saving fails
        if (SDL_SaveBMP(target.get(), path.c_str()) != 0) {
            throw ToolError("cannot write " + path + ": " + SDL_GetError());
        }
    }
    written.keep();
}

// Messages quote file names, which may hold line breaks; the report stays one line.
std::string oneLine(std::string message)
{
    for (char& c : message) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    return message;
}

}  // namespace

int main(int argc, char** argv)
{
    try {
        const Options options = parseOptions(argc, argv);
        // Loading, drawing and saving work on plain surfaces, but SDL is started as the program starts it;
        // the dummy driver, whatever the environment names, keeps it away from any display.
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        if (SDL_Init(SDL_INIT_VIDEO) != 0) {
            throw ToolError(std::string("SDL init failed: ") + SDL_GetError());
        }
        renderFrames(options);
        SDL_Quit();
        return 0;
    } catch (const std::exception& error) {
        SDL_Quit();  // harmless when SDL never started
        std::fprintf(stderr, "q47-render: %s\n", oneLine(error.what()).c_str());
        return 2;
    }
}
