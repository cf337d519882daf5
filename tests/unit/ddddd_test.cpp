// Pixel reading and the shared channel masks, on real SDL surfaces.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ddddd.h"

namespace {

struct PixelCase {
    std::string name;
    int bitsPerPixel;
    std::vector<Uint8> bytes;  // stored at pixel (1, 1)
    std::uint32_t expected;
};

SDL_Surface* makeSurface(int bitsPerPixel)
{
    return SDL_CreateRGBSurface(0, 3, 3, bitsPerPixel, 0, 0, 0, 0);
}

TEST(GetPixel, ReadsEachPixelWidthAtItsAddress)
{
    const std::vector<PixelCase> cases{
        {"1 byte is zero-extended", 8, {0xFE}, 0x000000FE},
        {"2 bytes in native order", 16, {0x34, 0x12}, 0x00001234},
        {"3 bytes lowest first", 24, {0x11, 0x22, 0x33}, 0x00332211},
        {"4 bytes in native order", 32, {0x44, 0x33, 0x22, 0x11}, 0x11223344},
    };
    for (const PixelCase& c : cases) {
        SCOPED_TRACE(c.name);
        SDL_Surface* surface = makeSurface(c.bitsPerPixel);
        ASSERT_NE(surface, nullptr);
        ASSERT_EQ(surface->format->BytesPerPixel, c.bytes.size());
        std::memset(surface->pixels, 0xAB, static_cast<size_t>(surface->pitch) * 3);
        Uint8* at = static_cast<Uint8*>(surface->pixels) + surface->pitch + c.bytes.size();
        std::memcpy(at, c.bytes.data(), c.bytes.size());
        EXPECT_EQ(q47::getPixel(surface, 1, 1), c.expected);
        // The neighbours on the row and the column stay the filler: the address is pitch-based.
        const std::uint32_t filler = q47::getPixel(surface, 0, 1);
        EXPECT_EQ(q47::getPixel(surface, 1, 0), filler);
        EXPECT_EQ(q47::getPixel(surface, 2, 1), filler);
        EXPECT_NE(filler, c.expected);
        SDL_FreeSurface(surface);
    }
}

TEST(GetPixel, AFormatClaimingNoOrFiveBytesReadsAsZeroEverywhere)
{
    for (Uint8 claimed : {Uint8{0}, Uint8{5}}) {
        SCOPED_TRACE(static_cast<int>(claimed));
        SDL_Surface* surface = makeSurface(32);
        ASSERT_NE(surface, nullptr);
        std::memset(surface->pixels, 0xFF, static_cast<size_t>(surface->pitch) * 3);
        const Uint8 real = surface->format->BytesPerPixel;
        surface->format->BytesPerPixel = claimed;
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 3; ++x) EXPECT_EQ(q47::getPixel(surface, x, y), 0u) << x << "," << y;
        surface->format->BytesPerPixel = real;
        SDL_FreeSurface(surface);
    }
}

TEST(RgbaMask, IsOneSharedRecordInRedGreenBlueAlphaOrder)
{
    const q47::RGBAMask& first = q47::rgbaMask();
    const q47::RGBAMask& second = q47::rgbaMask();
    EXPECT_EQ(&first, &second);
    EXPECT_EQ(first.Rmask, 0x000000FFu);
    EXPECT_EQ(first.Gmask, 0x0000FF00u);
    EXPECT_EQ(first.Bmask, 0x00FF0000u);
    EXPECT_EQ(first.Amask, 0xFF000000u);
}

}  // namespace
