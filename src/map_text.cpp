// The text forms of a map (`gg:oo` cells, one line per row) and of a list of random draws.
#include "map_text.h"

#include <istream>
#include <limits>
#include <ostream>

namespace q47 {

namespace {

constexpr char HEX_DIGITS[] = "0123456789abcdef";
constexpr std::size_t CELL_TEXT_LENGTH = 5;  // "gg:oo"
constexpr std::size_t SHOWN_TOKEN_LENGTH = 24;
constexpr std::uint64_t LARGEST_DRAW = std::numeric_limits<std::uint32_t>::max();

void appendHexByte(std::string& out, std::uint8_t value)
{
    out += HEX_DIGITS[value >> 4];
    out += HEX_DIGITS[value & 0x0F];
}

std::string rowText(const Map& map, int row)
{
    std::string line;
    line.reserve(static_cast<std::size_t>(map.columns()) * (CELL_TEXT_LENGTH + 1));
    for (int column = 0; column < map.columns(); ++column) {
        if (column > 0) {
            line += ' ';
        }
        const Cell& cell = map.at(row, column);
        appendHexByte(line, cell.ground);
        line += ':';
        appendHexByte(line, cell.object);
    }
    line += '\n';
    return line;
}

// -1 for anything that is not a hex digit; both cases are accepted.
int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool isDecimalDigit(char c) { return c >= '0' && c <= '9'; }

// Input can be any bytes, so a value quoted in a message is cut short and made printable.
std::string shown(const std::string& token)
{
    std::string out = "'";
    for (std::size_t i = 0; i < token.size() && i < SHOWN_TOKEN_LENGTH; ++i) {
        const auto byte = static_cast<unsigned char>(token[i]);
        if (byte >= 0x20 && byte < 0x7F && byte != '\'' && byte != '\\') {
            out += static_cast<char>(byte);
        } else {
            out += "\\x";
            appendHexByte(out, byte);
        }
    }
    if (token.size() > SHOWN_TOKEN_LENGTH) {
        out += "...";
    }
    return out + "'";
}

bool parseHexByte(const std::string& text, std::size_t at, std::uint8_t& value)
{
    const int high = hexDigitValue(text[at]);
    const int low = hexDigitValue(text[at + 1]);
    if (high < 0 || low < 0) {
        return false;
    }
    value = static_cast<std::uint8_t>(high * 16 + low);
    return true;
}

bool parseCell(const std::string& text, Cell& cell)
{
    return text.size() == CELL_TEXT_LENGTH && text[2] == ':' && parseHexByte(text, 0, cell.ground) &&
           parseHexByte(text, 3, cell.object);
}

std::vector<std::string> splitOnSpaces(const std::string& line)
{
    std::vector<std::string> parts(1);
    for (char c : line) {
        if (c == ' ') {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

std::string lineLabel(int lineNumber) { return "line " + std::to_string(lineNumber); }

void readRow(Map& map, int row, const std::string& line)
{
    const int lineNumber = row + 1;
    const std::vector<std::string> cells = splitOnSpaces(line);
    if (cells.size() != static_cast<std::size_t>(map.columns())) {
        throw TextFormatError(lineLabel(lineNumber) + ": expected " + std::to_string(map.columns()) +
                              " cells separated by one space, got " + std::to_string(cells.size()));
    }
    for (int column = 0; column < map.columns(); ++column) {
        const std::string& text = cells[static_cast<std::size_t>(column)];
        if (!parseCell(text, map.at(row, column))) {
            throw TextFormatError(lineLabel(lineNumber) + ", cell " + std::to_string(column + 1) +
                                  ": expected two hex digits, ':' and two hex digits, got " +
                                  shown(text));
        }
    }
}

bool isDrawSeparator(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool hasHexPrefix(const std::string& token)
{
    return token.size() >= 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X');
}

// Accumulates digits of one base, failing as soon as the value passes 32 bits.
bool accumulateDigits(const std::string& token, std::size_t from, unsigned base, std::uint64_t& value,
                      bool& outOfRange)
{
    if (from == token.size()) {
        return false;
    }
    value = 0;
    for (std::size_t i = from; i < token.size(); ++i) {
        const int digit = base == 16 ? hexDigitValue(token[i])
                                     : (isDecimalDigit(token[i]) ? token[i] - '0' : -1);
        if (digit < 0) {
            return false;
        }
        value = value * base + static_cast<unsigned>(digit);
        if (value > LARGEST_DRAW) {
            outOfRange = true;
        }
        if (outOfRange) {
            value = LARGEST_DRAW + 1;  // keep scanning for bad digits without overflowing
        }
    }
    return true;
}

}  // namespace

void writeMapText(std::ostream& out, const Map& map)
{
    for (int row = 0; row < map.rows(); ++row) {
        out << rowText(map, row);
    }
}

Map readMapText(std::istream& in)
{
    Map map(MAP_COLS, MAP_ROWS);
    std::string line;
    int row = 0;
    while (std::getline(in, line)) {
        if (row == MAP_ROWS) {
            throw TextFormatError(lineLabel(row + 1) + ": more than " + std::to_string(MAP_ROWS) +
                                  " rows");
        }
        readRow(map, row, line);
        ++row;
    }
    if (row != MAP_ROWS) {
        throw TextFormatError(lineLabel(row + 1) + ": expected " + std::to_string(MAP_ROWS) +
                              " rows, the input ends after " + std::to_string(row));
    }
    return map;
}

std::uint32_t parseUnsigned32(const std::string& token)
{
    const bool hex = hasHexPrefix(token);
    std::uint64_t value = 0;
    bool outOfRange = false;
    if (!accumulateDigits(token, hex ? 2 : 0, hex ? 16 : 10, value, outOfRange)) {
        throw TextFormatError(shown(token) + " is not an unsigned number (decimal or 0x-prefixed hex)");
    }
    if (outOfRange) {
        throw TextFormatError(shown(token) + " is out of range (0 to " + std::to_string(LARGEST_DRAW) +
                              ")");
    }
    return static_cast<std::uint32_t>(value);
}

std::vector<std::uint32_t> parseDraws(const std::string& text)
{
    std::vector<std::uint32_t> draws;
    std::size_t at = 0;
    while (at < text.size()) {
        if (isDrawSeparator(text[at])) {
            ++at;
            continue;
        }
        std::size_t end = at;
        while (end < text.size() && !isDrawSeparator(text[end])) {
            ++end;
        }
        try {
            draws.push_back(parseUnsigned32(text.substr(at, end - at)));
        } catch (const TextFormatError& error) {
            throw TextFormatError("draw " + std::to_string(draws.size() + 1) + ": " + error.what());
        }
        at = end;
    }
    return draws;
}

}  // namespace q47
