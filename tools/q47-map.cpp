// q47-map: prints the map that one seed or one list of draws generates, one `gg:oo` line per row.
//   q47-map --seed N      draws from std::mt19937 seeded with N
//   q47-map --draws FILE  draws read from FILE ('-' for standard input)
// Any error gives one line on standard error, nothing on standard output and exit status 2.
#include <cstdio>
#include <iostream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>

#include "map_generator.h"
#include "map_text.h"
#include "random_source.h"
#include "scripted_source.h"

namespace {

constexpr int EXIT_USAGE_OR_INPUT_ERROR = 2;
constexpr const char* USAGE = "usage: q47-map --seed N | --draws FILE";

class ToolError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Options {
    bool fromSeed = false;
    std::uint32_t seed = 0;
    std::string drawsPath;
};

std::string optionValue(int argc, char** argv, int& at)
{
    const std::string option = argv[at];
    if (at + 1 >= argc) {
        throw ToolError(option + " needs a value; " + USAGE);
    }
    return argv[++at];
}

std::uint32_t parseSeed(const std::string& text)
{
    try {
        return q47::parseUnsigned32(text);
    } catch (const q47::TextFormatError& error) {
        throw ToolError(std::string("seed: ") + error.what());
    }
}

Options parseOptions(int argc, char** argv)
{
    Options options;
    int sourcesGiven = 0;
    for (int at = 1; at < argc; ++at) {
        const std::string argument = argv[at];
        if (argument == "--seed") {
            options.fromSeed = true;
            options.seed = parseSeed(optionValue(argc, argv, at));
        } else if (argument == "--draws") {
            options.fromSeed = false;
            options.drawsPath = optionValue(argc, argv, at);
        } else {
            throw ToolError("unknown option '" + argument + "'; " + USAGE);
        }
        ++sourcesGiven;
    }
    if (sourcesGiven != 1) {
        throw ToolError(std::string("give exactly one of --seed and --draws; ") + USAGE);
    }
    return options;
}

// stdio reports a read error (a directory, say) where a stream would only stop early.
std::string readAll(std::FILE* file, const std::string& name)
{
    std::string text;
    char buffer[65536];
    std::size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        text.append(buffer, count);
    }
    if (std::ferror(file)) {
        throw ToolError("cannot read draws file '" + name + "'");
    }
    return text;
}

std::string readDrawsText(const std::string& path)
{
    if (path == "-") {
        return readAll(stdin, "standard input");
    }
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file) {
        throw ToolError("cannot open draws file '" + path + "'");
    }
    return readAll(file.get(), path);
}

std::vector<std::uint32_t> readDraws(const std::string& path)
{
    const std::string text = readDrawsText(path);
    try {
        return q47::parseDraws(text);
    } catch (const q47::TextFormatError& error) {
        throw ToolError((path == "-" ? std::string("standard input") : path) + ": " + error.what());
    }
}

struct Generated {
    std::string text;
    std::size_t draws;
};

Generated generateWith(q47::RandomSource& source)
{
    q47::CountingSource counting(source);
    const q47::Map map = q47::generateMap(q47::MAP_COLS, q47::MAP_ROWS, counting);
    std::ostringstream text;
    q47::writeMapText(text, map);
    return {text.str(), counting.drawsTaken()};
}

Generated generate(const Options& options)
{
    if (options.fromSeed) {
        q47::Mt19937Source source(options.seed);
        return generateWith(source);
    }
    q47::ScriptedSource source(readDraws(options.drawsPath));
    return generateWith(source);
}

void writeOut(const std::string& text)
{
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0) {
        throw ToolError("cannot write the map to standard output");
    }
}

// Messages can quote file names, so keep the report to one line.
int fail(std::string message)
{
    for (char& c : message) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    std::cerr << "q47-map: " << message << '\n';
    return EXIT_USAGE_OR_INPUT_ERROR;
}

}  // namespace

int main(int argc, char** argv)
{
    try {
        // The whole map is built before anything is printed, so a failure leaves standard output empty.
        const Generated generated = generate(parseOptions(argc, argv));
        writeOut(generated.text);
        std::cerr << "draws: " << generated.draws << '\n';
        return 0;
    } catch (const std::exception& error) {
        return fail(error.what());
    }
}
