// The map's text form (write and read back, malformed lines) and the draws parser.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "map_generator.h"
#include "map_text.h"

namespace q47 {
namespace {

// Every byte value appears in both layers somewhere in the map.
Map everyByteMap()
{
    Map map(MAP_COLS, MAP_ROWS);
    for (int row = 0; row < MAP_ROWS; ++row) {
        for (int column = 0; column < MAP_COLS; ++column) {
            const int n = row * MAP_COLS + column;
            map.at(row, column) = Cell{static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(255 - n / 3)};
        }
    }
    return map;
}

std::string mapText(const Map& map)
{
    std::ostringstream out;
    writeMapText(out, map);
    return out.str();
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        result.push_back(line);
    }
    return result;
}

TEST(MapText, WritesOneLineOfLowerCaseHexCellsPerRow)
{
    const std::string text = mapText(everyByteMap());
    const std::vector<std::string> rows = lines(text);
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(MAP_ROWS));
    EXPECT_EQ(text.back(), '\n');
    EXPECT_EQ(rows[0], "00:ff 01:ff 02:ff 03:fe 04:fe 05:fe 06:fd 07:fd 08:fd 09:fc 0a:fc 0b:fc 0c:fb 0d:fb "
                       "0e:fb 0f:fa");
    EXPECT_EQ(rows[10].substr(0, 17), "a0:ca a1:ca a2:c9");
    EXPECT_EQ(rows[1023].size(), static_cast<std::size_t>(16 * 5 + 15));
}

TEST(MapText, ReadsBackEveryByteValueAndAGeneratedMap)
{
    std::istringstream all(mapText(everyByteMap()));
    EXPECT_TRUE(readMapText(all) == everyByteMap());

    Mt19937Source source(99);
    const Map generated = generateMap(MAP_COLS, MAP_ROWS, source);
    std::istringstream in(mapText(generated));
    EXPECT_TRUE(readMapText(in) == generated);
}

TEST(MapText, AcceptsUpperCaseHexAndAMissingFinalNewline)
{
    std::string text = mapText(everyByteMap());
    text.pop_back();
    text.replace(0, 5, "AB:CD");
    std::istringstream in(text);
    const Map map = readMapText(in);
    EXPECT_EQ(map.at(0, 0).ground, 0xAB);
    EXPECT_EQ(map.at(0, 0).object, 0xCD);
    EXPECT_EQ(map.at(1023, 15).ground, everyByteMap().at(1023, 15).ground);
}

struct MalformedCase {
    std::string name;
    int line;                // 1-based line to replace, or 0 to edit the whole text
    std::string replacement; // the new line, or for line 0 the text appended at the end
    std::string message;     // what the error must say
};

TEST(MapText, RejectsMalformedInputSayingWhatAndWhere)
{
    const std::string good = mapText(everyByteMap());
    const std::string row = lines(good)[4];
    const std::vector<MalformedCase> cases = {
        {"fifteen cells", 5, row.substr(0, row.size() - 6), "line 5: expected 16 cells separated by one space, got 15"},
        {"seventeen cells", 5, row + " 00:00", "line 5: expected 16 cells separated by one space, got 17"},
        {"two spaces", 5, "00:00  " + row.substr(6), "line 5: expected 16 cells"},
        {"trailing space", 5, row + " ", "line 5: expected 16 cells"},
        {"carriage return", 5, row + "\r", "line 5, cell 16"},
        {"bad hex digit", 6, "0g" + row.substr(2), "line 6, cell 1: expected two hex digits, ':' and two hex "
                                                   "digits, got '0g:"},
        {"dash for colon", 7, row.substr(0, 8) + "-" + row.substr(9), "line 7, cell 2"},
        {"three-digit ground", 8, row.substr(0, 6) + "000:00" + row.substr(11), "line 8, cell 2"},
        {"colon out of place", 8, row.substr(0, 6) + "000:0" + row.substr(11), "line 8, cell 2"},
        {"sign", 9, row.substr(0, 12) + "-1:00" + row.substr(17), "line 9, cell 3"},
        {"binary bytes shown escaped", 3, std::string("\x01\xff:00") + row.substr(5), "got '\\x01\\xff:00'"},
        {"empty line", 1024, "", "line 1024: expected 16 cells separated by one space, got 1"},
        {"a row too many", 0, row + "\n", "line 1025: more than 1024 rows"},
        {"a blank line after the last row", 0, "\n", "line 1025: more than 1024 rows"},
    };
    for (const MalformedCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::string text;
        if (c.line == 0) {
            text = good + c.replacement;
        } else {
            std::vector<std::string> all = lines(good);
            all[static_cast<std::size_t>(c.line - 1)] = c.replacement;
            for (const std::string& line : all) {
                text += line + "\n";
            }
        }
        std::istringstream in(text);
        try {
            readMapText(in);
            ADD_FAILURE() << "accepted";
        } catch (const TextFormatError& error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
        }
    }
}

TEST(MapText, RejectsTooFewRows)
{
    const struct {
        std::string name;
        std::string text;
        std::string message;
    } cases[] = {
        {"empty input", "", "line 1: expected 1024 rows, the input ends after 0"},
        {"1023 rows", mapText(everyByteMap()).substr(0, 1023 * 96), "line 1024: expected 1024 rows, the input "
                                                                     "ends after 1023"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::istringstream in(c.text);
        try {
            readMapText(in);
            ADD_FAILURE() << "accepted";
        } catch (const TextFormatError& error) {
            EXPECT_EQ(std::string(error.what()), c.message);
        }
    }
}

TEST(ParseDraws, ReadsDecimalAndHexSeparatedByAnyWhiteSpace)
{
    const struct {
        std::string name;
        std::string text;
        std::vector<std::uint32_t> draws;
    } cases[] = {
        {"nothing", "", {}},
        {"only white space", " \t\n\r\v\f ", {}},
        {"mixed", " 1\t0x10\n4294967295 0XfF\r\n0 ", {1, 16, 4294967295u, 255, 0}},
        {"largest hex", "0xFFFFFFFF", {0xFFFFFFFFu}},
        {"leading zeros", "007 0000000000000000000000001 0x000000000000000000ff", {7, 1, 255}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(parseDraws(c.text), c.draws);
    }
}

TEST(ParseDraws, RejectsAnythingElseNamingTheDraw)
{
    const struct {
        std::string text;
        std::string message;
    } cases[] = {
        {"4294967296", "draw 1: '4294967296' is out of range (0 to 4294967295)"},
        {"1 0x100000000", "draw 2: '0x100000000' is out of range"},
        {"99999999999999999999999999", "draw 1: '999999999999999999999999...' is out of range"},
        {"1 2 -1", "draw 3: '-1' is not an unsigned number"},
        {"+1", "draw 1: '+1' is not an unsigned number"},
        {"0x", "draw 1: '0x' is not an unsigned number"},
        {"12a", "draw 1: '12a' is not an unsigned number"},
        {"1,2", "draw 1: '1,2' is not an unsigned number"},
        {"0x1g", "draw 1: '0x1g' is not an unsigned number"},
        {"99999999999999999999x", "draw 1: '99999999999999999999x' is not an unsigned number"},
        {std::string("5 \0 6", 5), "draw 2: '\\x00' is not an unsigned number"},
        {"1 2 3 \xc3\xa9", "draw 4: '\\xc3\\xa9' is not an unsigned number"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        try {
            parseDraws(c.text);
            ADD_FAILURE() << "accepted";
        } catch (const TextFormatError& error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
        }
    }
}

// Random bytes, biased towards digits and separators so that long valid prefixes occur too.
TEST(ParseDraws, SurvivesArbitraryBytes)
{
    const char letters[] = "0123456789xXabcdefABCDEFg \t\n+-\0\xff";
    const std::string alphabet(letters, sizeof letters - 1);
    std::mt19937 engine(1);
    int accepted = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string text(engine() % 40, ' ');
        for (char& c : text) {
            c = engine() % 4 == 0 ? static_cast<char>(engine() & 0xFF)
                                  : alphabet[engine() % alphabet.size()];
        }
        try {
            const std::vector<std::uint32_t> draws = parseDraws(text);
            ++accepted;
            EXPECT_LE(draws.size(), text.size());
        } catch (const TextFormatError& error) {
            EXPECT_EQ(std::string(error.what()).rfind("draw ", 0), 0u) << error.what();
        }
    }
    EXPECT_GT(accepted, 0);
}

TEST(ParseUnsigned32, TakesOneNumberAlone)
{
    EXPECT_EQ(parseUnsigned32("4294967295"), 4294967295u);
    EXPECT_EQ(parseUnsigned32("0x1F"), 31u);
    EXPECT_THROW(parseUnsigned32(""), TextFormatError);
    EXPECT_THROW(parseUnsigned32(" 1"), TextFormatError);
    EXPECT_THROW(parseUnsigned32("1 "), TextFormatError);
}

}  // namespace
}  // namespace q47
