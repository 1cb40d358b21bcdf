// Rendering one frame as zvrender does (host/RenderCommand.cpp): a renderer over the project's
// root, built after the tree last changed (it numbers the rows and sets the formulas' frame
// rate), renders the frame; the top video stream's bitmap is the picture and the top audio
// stream's samples are the sound.
#pragma once

#include "DLL/Bas/StreamInt.h"
#include "REDarodo/Bitmap.h"
#include "host/Host.h"
#include "host/Renderer.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

struct TRenderedFrame {
    // The format's width x height pixels, 4 bytes each (B, G, R, A, premultiplied alpha), rows
    // top-down; what the picture does not cover is transparent black.
    std::vector<uint8_t> aPicture;
    // The frame's sound frames, channels interleaved, 16-bit; silence when the sound is null.
    std::vector<int16_t> aSound;
};

inline TRenderedFrame RenderFrame(const TZVHost& pHost, long pFrame) {
    TZVRenderer renderer(pHost.GetRootRow(), pHost.aFormat);
    renderer.RenderFrame(pFrame);
    const int width = pHost.aFormat.aWidth;
    TRenderedFrame frame;
    frame.aPicture.assign(size_t(width) * size_t(pHost.aFormat.aHeight) * 4, 0);
    const IZVVideoStream* video = renderer.GetPicture();
    const TBitmap* bitmap = video ? video->GetBitmapFormat() : nullptr;
    if (bitmap && bitmap->GetRawData()) {
        const size_t row = size_t(std::min(width, bitmap->GetWidth())) * 4;
        for (int y = 0; y < std::min(pHost.aFormat.aHeight, bitmap->GetHeight()); ++y)
            std::memcpy(
                &frame.aPicture[size_t(y) * size_t(width) * 4],
                static_cast<const uint8_t*>(bitmap->GetRawData()) + y * bitmap->GetRowBytes(), row);
    }
    const size_t count = size_t(renderer.GetSampleCount()) * size_t(renderer.GetChannelCount());
    const int16_t* sound = renderer.GetSound();
    frame.aSound = sound ? std::vector<int16_t>(sound, sound + count) : std::vector<int16_t>(count);
    return frame;
}
