// The panel font: both text lines and printable ASCII have real glyphs, and each line fits the panel.
#include <SDL/SDL.h>
#include <SDL/SDL_ttf.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "application.h"

namespace q47 {
namespace {

// The panel is 288 px wide and a line starts 8 px in, so a line may take 272 px; lines are 24 px apart.
constexpr int MAX_LINE_WIDTH = 272;
constexpr int MAX_LINE_HEIGHT = 24;

std::vector<std::uint16_t> codePoints(const std::string& utf8)
{
    std::vector<std::uint16_t> result;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : 3;  // the lines hold no 4-byte characters
        std::uint32_t point = length == 1 ? lead : length == 2 ? (lead & 0x1Fu) : (lead & 0x0Fu);
        for (int k = 1; k < length; ++k) {
            point = (point << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3Fu);
        }
        result.push_back(static_cast<std::uint16_t>(point));
        i += length;
    }
    return result;
}

std::string printableAscii()
{
    std::string text;
    for (char c = 0x20; c < 0x7F; ++c) {
        text += c;
    }
    return text;
}

class PanelFont : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(TTF_Init(), 0) << TTF_GetError();
        font = TTF_OpenFont((std::string(Q47_SOURCE_DIR) + "/" + FONT_PATH).c_str(), FONT_POINT_SIZE);
        ASSERT_NE(font, nullptr) << TTF_GetError();
    }
    static void TearDownTestSuite()
    {
        if (font != nullptr) {
            TTF_CloseFont(font);
        }
        TTF_Quit();
    }
    static TTF_Font* font;
};

TTF_Font* PanelFont::font = nullptr;

struct NamedText {
    const char* name;
    std::string text;
};

const std::vector<NamedText> PANEL_LINES = {{"first line", TEXT_LINE_1}, {"second line", TEXT_LINE_2}};

TEST_F(PanelFont, EveryCharacterOfBothLinesAndOfPrintableAsciiHasAGlyph)
{
    std::vector<NamedText> texts = PANEL_LINES;
    texts.push_back({"printable ASCII", printableAscii()});
    for (const auto& [name, text] : texts) {
        SCOPED_TRACE(name);
        for (std::uint16_t point : codePoints(text)) {
            EXPECT_NE(TTF_GlyphIsProvided(font, point), 0) << "U+" << std::hex << point;
        }
    }
}

TEST_F(PanelFont, CharactersOutsideTheSubsetHaveNone)
{
    for (std::uint16_t point : codePoints("漢あ")) {
        EXPECT_EQ(TTF_GlyphIsProvided(font, point), 0) << "U+" << std::hex << point;
    }
}

TEST_F(PanelFont, EachLineFitsThePanelAndRendersInCrispDoublePixels)
{
    for (const auto& [name, text] : PANEL_LINES) {
        SCOPED_TRACE(name);
        int width = 0;
        int height = 0;
        ASSERT_EQ(TTF_SizeUTF8(font, text.c_str(), &width, &height), 0);
        EXPECT_GT(width, 100);
        EXPECT_LE(width, MAX_LINE_WIDTH);
        EXPECT_LE(height, MAX_LINE_HEIGHT);

        SDL_Surface* line = TTF_RenderUTF8_Blended(font, text.c_str(), SDL_Color{0, 0, 0, 0});
        ASSERT_NE(line, nullptr);
        EXPECT_EQ(line->w, width);
        ASSERT_EQ(line->format->BytesPerPixel, 4);
        int ink = 0;
        int blurred = 0;
        for (int y = 0; y < line->h; ++y) {
            const auto* row = reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(line->pixels) + y * line->pitch);
            for (int x = 0; x < line->w; ++x) {
                const Uint32 alpha = (row[x] & line->format->Amask) >> line->format->Ashift;
                ink += alpha == 255 ? 1 : 0;
                blurred += (alpha != 0 && alpha != 255) ? 1 : 0;
            }
        }
        EXPECT_GT(ink, 200);  // every one of the twelve characters leaves dots
        EXPECT_EQ(blurred, 0);  // the 8-dot design lands on whole 2 x 2 pixel blocks at 16 points
        SDL_FreeSurface(line);
    }
}

}  // namespace
}  // namespace q47
