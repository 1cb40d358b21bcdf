#include "support/Canvas.h"

#include <wx/graphics.h>
#include <wx/image.h>

#include <cairo.h>

#include <algorithm>

namespace {

const wxColour theGrey(128, 128, 128);

// "a" or "a-b".
std::string Span(int pFirst, int pLast) {
    std::string span = std::to_string(pFirst);
    if (pLast != pFirst)
        span += '-' + std::to_string(pLast);
    return span;
}

} // namespace

TCanvas::TCanvas(bool pGrey, int pWidth, int pHeight) : aWidth(pWidth) {
    wxImage image(pWidth, pHeight);
    for (int i = 0; i < pWidth * pHeight * 3; ++i)
        image.GetData()[i] = pGrey ? 128 : (i * 37) & 255;
    aBitmap = wxBitmap(image, 24);
    aDC.SelectObject(aBitmap);
}

std::vector<uint32_t> TCanvas::Pixels() const {
    cairo_surface_t* surface =
        cairo_get_target(static_cast<cairo_t*>(aDC.GetGraphicsContext()->GetNativeContext()));
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    std::vector<uint32_t> pixels;
    for (int y = 0; y < cairo_image_surface_get_height(surface); ++y) {
        const auto* row =
            reinterpret_cast<const uint32_t*>(data + y * cairo_image_surface_get_stride(surface));
        for (int x = 0; x < aWidth; ++x)
            pixels.push_back(row[x] & 0xFFFFFF);
    }
    return pixels;
}

std::string TCanvas::Picture(const wxColour& pPen, const wxColour& pBrush) const {
    const uint32_t colours[] = {RgbOf(pPen), RgbOf(pBrush), RgbOf(theGrey)};
    const std::vector<uint32_t> pixels = Pixels();
    std::string picture;
    for (size_t i = 0; i < pixels.size(); ++i) {
        if (i > 0 && i % aWidth == 0)
            picture += '/';
        picture += "PB.?"[std::find(colours, colours + 3, pixels[i]) - colours];
    }
    return picture;
}

std::string TCanvas::Runs(bool pByColumn,
                          const std::vector<std::pair<uint32_t, char>>& pNames) const {
    const std::vector<uint32_t> pixels = Pixels();
    const int height = int(pixels.size()) / aWidth;
    const int lines = pByColumn ? aWidth : height, length = pByColumn ? height : aWidth;
    const auto at = [&](int pLine, int pPos) {
        return pixels[pByColumn ? pPos * aWidth + pLine : pLine * aWidth + pPos];
    };
    const auto letter = [&](uint32_t pPixel) {
        for (const auto& name : pNames)
            if (name.first == pPixel)
                return name.second;
        return '?';
    };
    std::vector<std::string> runs(lines);
    for (int line = 0; line < lines; ++line)
        for (int pos = 0, end; pos < length; pos = end) {
            const uint32_t pixel = at(line, pos);
            for (end = pos + 1; end < length && at(line, end) == pixel;)
                ++end;
            if (pixel != RgbOf(theGrey))
                runs[line] += (runs[line].empty() ? "" : ",") + Span(pos, end - 1) + letter(pixel);
        }
    std::string log;
    for (int line = 0, end; line < lines; line = end) {
        for (end = line + 1; end < lines && runs[end] == runs[line];)
            ++end;
        if (!runs[line].empty())
            log += (log.empty() ? "" : " ") + Span(line, end - 1) + ':' + runs[line];
    }
    return log;
}
