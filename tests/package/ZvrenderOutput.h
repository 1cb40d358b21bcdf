// zvrender's files for one frame read back, to be compared with a frame the consumer rendered:
// the PNG picture (R, G, B) through wxImage, the WAV file's samples through its "data" chunk.
#pragma once

#include "guide/RenderFrame.h"

#include <wx/image.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// How many pixels of pFrame's picture have the colours of zvrender's picture pPng (its
// premultiplied colours as they are); -1 when pPng does not read or differs in size.
inline long SamePixels(const TRenderedFrame& pFrame, int pWidth, int pHeight,
                       const std::string& pPng) {
    wxImage image;
    if (!image.LoadFile(wxString::FromUTF8(pPng), wxBITMAP_TYPE_PNG) ||
        image.GetWidth() != pWidth || image.GetHeight() != pHeight)
        return -1;
    const uint8_t* rgb = image.GetData();
    long same = 0;
    for (size_t i = 0; i < size_t(pWidth) * size_t(pHeight); ++i) {
        const uint8_t* bgra = &pFrame.aPicture[4 * i];
        same += rgb[3 * i] == bgra[2] && rgb[3 * i + 1] == bgra[1] && rgb[3 * i + 2] == bgra[0];
    }
    return same;
}

// The bytes of the file at pPath; empty when it does not read.
inline std::string FileBytes(const std::string& pPath) {
    std::ifstream file(pPath, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

// The 16-bit samples of the WAV file pWav; empty when it does not read.
inline std::vector<int16_t> WavSamples(const std::string& pWav) {
    const std::string bytes = FileBytes(pWav);
    for (size_t chunk = 12; chunk + 8 <= bytes.size();) {
        uint32_t size = 0;
        std::memcpy(&size, &bytes[chunk + 4], 4);
        if (bytes.compare(chunk, 4, "data") == 0 && chunk + 8 + size <= bytes.size()) {
            std::vector<int16_t> samples(size / 2);
            std::memcpy(samples.data(), &bytes[chunk + 8], samples.size() * 2);
            return samples;
        }
        chunk += 8 + size + size % 2;
    }
    return {};
}
