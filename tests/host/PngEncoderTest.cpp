#include "PngEncoder.h"

#include <wx/image.h>
#include <wx/mstream.h>

#include <zlib.h>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <set>

namespace {

// A picture: the colour byte c (0 R, 1 G, 2 B) of pixel (x, y).
using TPaint = std::function<uint8_t(int pX, int pY, int pC)>;

struct TCase {
    const char* aName;
    int aWidth;
    int aHeight;
    TPaint aPaint;
};

std::vector<uint8_t> Pixels(const TCase& pCase) {
    std::vector<uint8_t> pixels(size_t(pCase.aWidth) * pCase.aHeight * 3);
    for (int y = 0; y < pCase.aHeight; ++y)
        for (int x = 0; x < pCase.aWidth; ++x)
            for (int c = 0; c < 3; ++c)
                pixels[(size_t(y) * pCase.aWidth + x) * 3 + c] = pCase.aPaint(x, y, c);
    return pixels;
}

// The file wxWidgets' own picture writer (libpng with its defaults) makes of the pixels.
std::vector<uint8_t> WxPng(int pWidth, int pHeight, std::vector<uint8_t> pPixels) {
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG))
        wxImage::AddHandler(new wxPNGHandler);
    wxImage image(pWidth, pHeight, pPixels.data(), true);
    wxMemoryOutputStream stream;
    EXPECT_TRUE(image.SaveFile(stream, wxBITMAP_TYPE_PNG));
    std::vector<uint8_t> file(stream.GetLength());
    stream.CopyTo(file.data(), file.size());
    return file;
}

std::vector<uint8_t> OurPng(int pWidth, int pHeight, const std::vector<uint8_t>& pPixels) {
    std::vector<uint8_t> file;
    std::string error;
    const auto rows = [&](int pY, uint8_t* pRow) {
        std::copy_n(pPixels.data() + size_t(pY) * pWidth * 3, size_t(pWidth) * 3, pRow);
    };
    EXPECT_TRUE(TZVPngEncoder::Encode(pWidth, pHeight, rows, file, error)) << error;
    return file;
}

// The filter of every row of a PNG file of 3-byte pixels, read back from its IDAT chunks.
std::vector<int> RowFilters(const std::vector<uint8_t>& pFile, int pWidth, int pHeight) {
    std::vector<uint8_t> compressed;
    for (size_t at = 8; at + 12 <= pFile.size();) {
        const size_t size = size_t(pFile[at]) << 24 | size_t(pFile[at + 1]) << 16 |
                            size_t(pFile[at + 2]) << 8 | pFile[at + 3];
        if (std::string(pFile.begin() + at + 4, pFile.begin() + at + 8) == "IDAT")
            compressed.insert(compressed.end(), pFile.begin() + at + 8,
                              pFile.begin() + at + 8 + size);
        at += 12 + size;
    }
    const size_t rowBytes = 1 + size_t(pWidth) * 3;
    std::vector<uint8_t> rows(rowBytes * pHeight);
    uLongf size = uLongf(rows.size());
    EXPECT_EQ(uncompress(rows.data(), &size, compressed.data(), uLong(compressed.size())), Z_OK);
    std::vector<int> filters;
    for (int y = 0; y < pHeight; ++y)
        filters.push_back(rows[y * rowBytes]);
    return filters;
}

uint8_t Noise(int pX, int pY, int pC) {
    return uint8_t((pX * 7919 + pY * 104729 + pC * 15485863) * 2654435761u >> 24);
}

} // namespace

// Every picture comes out byte for byte as libpng's own writer makes it: the choice of each
// row's filter, zlib's settings (a smaller window for small pictures), the chunks and their
// cut. The pictures are chosen so that each of the five filters wins some rows.
TEST(PngEncoder, FilesAreByteForByteThoseOfLibpngsDefaults) {
    std::mt19937 random(7);
    std::vector<uint8_t> noise(1 << 20);
    for (uint8_t& byte : noise)
        byte = uint8_t(random());
    const TCase cases[] = {
        {"one pixel", 1, 1, [](int, int, int c) { return uint8_t(40 * c); }},
        {"one row", 9, 1, [](int x, int, int c) { return uint8_t(x * 30 + c); }},
        {"one column", 1, 9, [](int, int y, int c) { return uint8_t(y * 30 + c); }},
        {"flat", 16, 16, [](int, int, int) { return uint8_t(200); }},
        {"noise", 33, 21, [&](int x, int y, int c) { return noise[(y * 33 + x) * 3 + c]; }},
        {"gradients", 64, 48,
         [](int x, int y, int c) {
             return uint8_t(c == 0 ? 4 * x : c == 1 ? 5 * y : x + y);
         }},
        {"smooth", 70, 60,
         [](int x, int y, int c) {
             return uint8_t(128 + 100 * std::sin(x * 0.1 + c) * std::cos(y * 0.07));
         }},
        {"stripes and noise", 120, 90,
         [&](int x, int y, int c) {
             switch (y % 5) {
             case 0:
                 return uint8_t(x * 2 + c);
             case 1:
                 return uint8_t(y * 3);
             case 2:
                 return noise[(y * 120 + x) * 3 + c];
             case 3:
                 return uint8_t((x / 8 + y / 8) % 2 ? 250 : 5);
             default:
                 return uint8_t(x + y * 2 + c * 9);
             }
         }},
        // Past one IDAT chunk and past the size where libpng narrows zlib's window.
        {"large", 333, 250,
         [&](int x, int y, int c) {
             return uint8_t((x * x + y * 3) / 7 + (Noise(x, y, c) & 3) + c * 20);
         }},
        {"wide noise", 2000, 3, [&](int x, int y, int c) { return noise[(y * 2000 + x) * 3 + c]; }},
    };
    std::set<int> filtersUsed;
    for (const TCase& picture : cases) {
        const std::vector<uint8_t> pixels = Pixels(picture);
        const std::vector<uint8_t> ours = OurPng(picture.aWidth, picture.aHeight, pixels);
        EXPECT_EQ(ours, WxPng(picture.aWidth, picture.aHeight, pixels)) << picture.aName;
        for (int filter : RowFilters(ours, picture.aWidth, picture.aHeight))
            filtersUsed.insert(filter);
    }
    EXPECT_EQ(filtersUsed, (std::set<int>{0, 1, 2, 3, 4}));
}
