// One 1920 x 1080 test card into a PNG file: the reference host's encoder beside wxWidgets' own
// writer (libpng with its defaults), which make the same bytes.
#include "PngEncoder.h"

#include <benchmark/benchmark.h>
#include <wx/image.h>
#include <wx/mstream.h>

#include <cstdint>
#include <vector>

namespace {

constexpr int theWidth = 1920;
constexpr int theHeight = 1080;

// A test card: colour bars, a grey ramp, a checkered square and a disc.
uint8_t Card(int pX, int pY, int pC) {
    static const uint8_t theBars[8][3] = {{192, 192, 192}, {192, 192, 0}, {0, 192, 192},
                                          {0, 192, 0},     {192, 0, 192}, {192, 0, 0},
                                          {0, 0, 192},     {16, 16, 16}};
    const int dx = pX - 1400, dy = pY - 700;
    if (dx * dx + dy * dy < 200 * 200)
        return uint8_t(pC == 0 ? 250 : 40 + (dx + dy) / 8);
    if (pX > 300 && pX < 700 && pY > 600 && pY < 1000)
        return (pX / 16 + pY / 16) % 2 ? 235 : 20;
    if (pY > 540)
        return uint8_t(pX * 255 / theWidth);
    return theBars[pX * 8 / theWidth][pC];
}

const std::vector<uint8_t>& Picture() {
    static const std::vector<uint8_t> thePixels = [] {
        std::vector<uint8_t> pixels(size_t(theWidth) * theHeight * 3);
        for (int y = 0; y < theHeight; ++y)
            for (int x = 0; x < theWidth; ++x)
                for (int c = 0; c < 3; ++c)
                    pixels[(size_t(y) * theWidth + x) * 3 + c] = Card(x, y, c);
        return pixels;
    }();
    return thePixels;
}

void Ours(benchmark::State& pState) {
    const std::vector<uint8_t>& pixels = Picture();
    std::vector<uint8_t> file;
    std::string error;
    const auto rows = [&pixels](int pY, uint8_t* pRow) {
        std::copy_n(pixels.data() + size_t(pY) * theWidth * 3, size_t(theWidth) * 3, pRow);
    };
    for (auto _ : pState) {
        TZVPngEncoder::Encode(theWidth, theHeight, rows, file, error);
        benchmark::DoNotOptimize(file.data());
    }
    pState.counters["bytes"] = double(file.size());
}

void WxWidgets(benchmark::State& pState) {
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG))
        wxImage::AddHandler(new wxPNGHandler);
    std::vector<uint8_t> pixels = Picture();
    const wxImage image(theWidth, theHeight, pixels.data(), true);
    size_t size = 0;
    for (auto _ : pState) {
        wxMemoryOutputStream stream;
        image.SaveFile(stream, wxBITMAP_TYPE_PNG);
        size = size_t(stream.GetLength());
    }
    pState.counters["bytes"] = double(size);
}

} // namespace

BENCHMARK(Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(WxWidgets)->Unit(benchmark::kMillisecond);
