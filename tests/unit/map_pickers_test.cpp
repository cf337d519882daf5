// The map grid's addressing and the ground and wall pickers under scripted draws.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "map.h"
#include "scripted_source.h"

namespace q47 {
namespace {

// A spare draw after the ones a picker should take shows that it stops where it should.
constexpr std::uint32_t SPARE_DRAW = 0x5EED;

struct GroundCase {
    std::string name;
    std::vector<std::uint32_t> draws;
    std::uint8_t ground;
    std::size_t drawsTaken;
};

TEST(RandomGround, ReturnsTheChoiceItsDrawsSelectAfterExactlyThatManyDraws)
{
    const std::vector<GroundCase> cases = {
        {"even first draw", {2}, 0, 1},
        {"zero first draw", {0}, 0, 1},
        {"odd, then divisible by 3", {1, 3}, 1, 2},
        {"odd, then zero", {1, 0}, 1, 2},
        {"odd, then 0xFFFFFFFF which 3 divides", {0xFFFFFFFF, 0xFFFFFFFF}, 1, 2},
        {"odd, not by 3, low bits 00", {1, 1, 4}, 6, 3},
        {"odd, not by 3, zero", {1, 2, 0}, 6, 3},
        {"fourth draw 0", {1, 1, 1, 0}, 0, 4},
        {"fourth draw 3", {1, 1, 1, 3}, 5, 4},
        {"fourth draw 6", {1, 1, 1, 6}, 2, 4},
        {"fourth draw 10", {1, 1, 1, 10}, 10, 4},
        {"fourth draw 11 wraps to entry 0", {1, 1, 1, 11}, 0, 4},
        {"all ones: 0xFFFFFFFF mod 11 is 3", {0xFFFFFFFF, 0xFFFFFFFE, 0xFFFFFFFF, 0xFFFFFFFF}, 5, 4},
    };
    for (const GroundCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint32_t> draws = c.draws;
        draws.push_back(SPARE_DRAW);
        ScriptedSource source(draws);
        EXPECT_EQ(randomGround(source), c.ground);
        EXPECT_EQ(source.drawsTaken(), c.drawsTaken);
    }
}

TEST(RandomGround, FourthDrawPicksEveryTableEntryAndNeverElevenOrNone)
{
    const std::vector<std::uint8_t> expected = {0, 1, 6, 5, 7, 3, 2, 4, 8, 9, 10};
    ASSERT_EQ(std::vector<std::uint8_t>(groundChoices.begin(), groundChoices.end()), expected);
    for (std::uint32_t d4 = 0; d4 < 3 * 11; ++d4) {
        SCOPED_TRACE("d4 = " + std::to_string(d4));
        ScriptedSource source({1, 1, 1, d4});
        const std::uint8_t ground = randomGround(source);
        EXPECT_EQ(ground, expected[d4 % 11]);
        EXPECT_LE(ground, 10);
    }
}

TEST(RandomWall, TakesOneDrawAndReturnsOneForEvenTwoForOdd)
{
    const struct {
        std::uint32_t draw;
        std::uint8_t wall;
    } cases[] = {{0, 1}, {0xFFFFFFFF, 2}, {2, 1}, {3, 2}, {0x80000000, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE("draw " + std::to_string(c.draw));
        ScriptedSource source({c.draw, SPARE_DRAW});
        EXPECT_EQ(randomWall(source), c.wall);
        EXPECT_EQ(source.drawsTaken(), 1u);
    }
}

TEST(ScriptedSource, ThrowsOnceItsDrawsRunOut)
{
    ScriptedSource source({7});
    EXPECT_EQ(source.draw(), 7u);
    EXPECT_THROW(source.draw(), DrawsExhausted);
    EXPECT_EQ(source.drawsTaken(), 1u);
}

TEST(Map, StartsZeroedAndStoresRowsOneAfterAnotherInOneBlock)
{
    Map map(16, 1024);
    EXPECT_EQ(map.columns(), 16);
    EXPECT_EQ(map.rows(), 1024);
    EXPECT_EQ(&map.at(0, 1) - &map.at(0, 0), 1);
    EXPECT_EQ(&map.at(1, 0) - &map.at(0, 0), 16);
    EXPECT_EQ(&map.at(1023, 15) - &map.at(0, 0), 1024 * 16 - 1);
    EXPECT_EQ(reinterpret_cast<const unsigned char*>(&map.at(0, 1)) -
                  reinterpret_cast<const unsigned char*>(&map.at(0, 0)),
              2);
    for (int row = 0; row < map.rows(); ++row) {
        for (int column = 0; column < map.columns(); ++column) {
            ASSERT_EQ(map.at(row, column).ground, 0);
            ASSERT_EQ(map.at(row, column).object, 0);
        }
    }
}

TEST(Map, RowsFormARing)
{
    const Map map(16, 1024);
    EXPECT_EQ(map.ringRow(1024), 0);
    EXPECT_EQ(map.ringRow(1023), 1023);
    EXPECT_EQ(map.ringRow(-1), 1023);
    EXPECT_EQ(map.ringRow(2048 + 5), 5);
    EXPECT_EQ(map.ringRow(-1024), 0);
    EXPECT_EQ(map.ringRow(INT_MIN), 0);
    EXPECT_EQ(map.ringRow(INT_MAX), INT_MAX % 1024);
    EXPECT_EQ(Map(9, 1000).ringRow(INT_MIN), 1000 + INT_MIN % 1000);
}

TEST(Map, ComparesSizeAndEveryByte)
{
    Map a(9, 9);
    Map b(9, 9);
    EXPECT_TRUE(a == b);
    b.at(8, 8).object = 1;
    EXPECT_FALSE(a == b);
    EXPECT_FALSE(Map(9, 9) == Map(10, 9));
}

TEST(Map, RejectsSizesWithoutCells)
{
    EXPECT_THROW(Map(0, 1024), std::invalid_argument);
    EXPECT_THROW(Map(16, 0), std::invalid_argument);
    EXPECT_THROW(Map(-16, -1024), std::invalid_argument);
}

}  // namespace
}  // namespace q47
