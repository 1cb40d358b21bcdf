// A memory DC on a small 24-bit bitmap for drawing tests, with its pixels read back exactly.
#pragma once

#include <wx/bitmap.h>
#include <wx/colour.h>
#include <wx/dcmemory.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Grey (128, 128, 128) or, so that a restored image is a real check, differing from pixel to
// pixel.
class TCanvas {
public:
    explicit TCanvas(bool pGrey = true, int pWidth = 10, int pHeight = 7);

    wxMemoryDC& DC() { return aDC; }
    int Width() const { return aWidth; }

    // The pixels row by row as 0xRRGGBB, read from the cairo image the DC draws on (wxBitmap
    // keeps a converted copy that drawing does not refresh).
    std::vector<uint32_t> Pixels() const;
    // Rows joined by '/': P where the pixel is pPen, B where pBrush, '.' where grey, else '?'.
    std::string Picture(const wxColour& pPen, const wxColour& pBrush) const;
    // What is drawn on a grey canvas, line by line (rows, or columns with pByColumn): each run
    // of same-coloured pixels that are not grey as its span and the colour's letter in pNames
    // ('?' for another colour), as "0-1:2-6S 21:4P" (rows 0 and 1 hold S from x 2 to 6, row 21
    // holds P at x 4); consecutive lines alike are merged, grey lines left out.
    std::string Runs(bool pByColumn, const std::vector<std::pair<uint32_t, char>>& pNames) const;

private:
    const int aWidth;
    wxBitmap aBitmap;
    wxMemoryDC aDC;
};

// 0xRRGGBB of a colour, as Pixels gives it.
inline uint32_t RgbOf(const wxColour& pColour) {
    return uint32_t(pColour.Red()) << 16 | uint32_t(pColour.Green()) << 8 | pColour.Blue();
}
