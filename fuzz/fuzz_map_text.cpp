// Fuzz target: the tools' text readers, parseDraws and readMapText, on arbitrary bytes. Each must either
// give a result or raise TextFormatError with a one-line message; whatever parses must survive being
// written out and read back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "map.h"
#include "map_text.h"

namespace {

[[noreturn]] void fail(const char* what, const char* detail = "")
{
    std::fprintf(stderr, "fuzz_map_text: %s %s\n", what, detail);
    std::abort();
}

// The tools print the message after their name on one line of standard error.
void checkMessage(const q47::TextFormatError& error)
{
    const std::string message = error.what();
    if (message.empty()) fail("an empty error message");
    if (message.find_first_of("\n\r") != std::string::npos) fail("a message of more than one line:", error.what());
}

void checkDraws(const std::string& text)
{
    std::vector<std::uint32_t> draws;
    try {
        draws = q47::parseDraws(text);
    } catch (const q47::TextFormatError& error) {
        checkMessage(error);
        return;
    }
    std::string written;
    for (std::uint32_t draw : draws) written += std::to_string(draw) + "\n";
    if (q47::parseDraws(written) != draws) fail("draws do not read back as written");
}

void checkMap(const std::string& text)
{
    std::istringstream in(text);
    std::optional<q47::Map> map;
    try {
        map.emplace(q47::readMapText(in));
    } catch (const q47::TextFormatError& error) {
        checkMessage(error);
        return;
    }
    std::ostringstream out;
    q47::writeMapText(out, *map);
    std::istringstream again(out.str());
    if (!(q47::readMapText(again) == *map)) fail("a map does not read back as written");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        checkDraws(text);
        checkMap(text);
    } catch (const std::exception& error) {
        fail("an exception other than TextFormatError:", error.what());
    } catch (...) {
        fail("an exception that is not a std::exception");
    }
    return 0;
}
