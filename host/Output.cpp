#include "Output.h"

#include "REDarodo/Bitmap.h"

extern "C" {
#include <libavutil/error.h>
}

#include <algorithm>
#include <climits>
#include <cstring>

void IZVOutput::Prepare(long, const TBitmap*) {}

std::string IZVOutput::FFmpegReason(int pCode) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(pCode, text, sizeof text);
    return text;
}

bool IZVOutput::CheckPictureSize(int pWidth, int pHeight, std::string& pError) {
    const int64_t limit = INT_MAX / 4;
    if (pWidth < 1 || pHeight < 1) {
        pError = "no picture to write: the project's frame size is " + std::to_string(pWidth) +
                 " x " + std::to_string(pHeight);
        return false;
    }
    if (int64_t(pWidth) * pHeight <= limit)
        return true;
    pError = "the project's frame size " + std::to_string(pWidth) + " x " +
             std::to_string(pHeight) + " is too large for a picture: at most " +
             std::to_string(limit) + " pixels";
    return false;
}

namespace {

// pWidth pixels of 4 bytes (B, G, R, unused) as 3 (R, G, B). Each pixel is written as 4 bytes
// at once, the last of which the next pixel overwrites.
void CopyRgb(const uint8_t* pFrom, int pWidth, uint8_t* pTo) {
    for (int x = 0; x + 1 < pWidth; ++x, pFrom += 4, pTo += 3) {
        uint32_t pixel;
        std::memcpy(&pixel, pFrom, 4);
        pixel = __builtin_bswap32(pixel) >> 8;
        std::memcpy(pTo, &pixel, 4);
    }
    pTo[0] = pFrom[2];
    pTo[1] = pFrom[1];
    pTo[2] = pFrom[0];
}

} // namespace

void IZVOutput::CopyPictureRow(const TBitmap* pPicture, int pWidth, int pY, bool pRgb,
                               uint8_t* pTarget) {
    const int size = pRgb ? 3 : 4;
    const uint8_t* pixels =
        pPicture ? static_cast<const uint8_t*>(pPicture->GetRawData()) : nullptr;
    const int width =
        pixels && pY < pPicture->GetHeight() ? std::min(pWidth, pPicture->GetWidth()) : 0;
    std::fill(pTarget + long(width) * size, pTarget + long(pWidth) * size, uint8_t(0));
    if (width == 0)
        return;
    const uint8_t* from = pixels + size_t(pY) * size_t(pPicture->GetRowBytes());
    if (pRgb)
        CopyRgb(from, width, pTarget);
    else
        std::memcpy(pTarget, from, size_t(width) * 4);
}
