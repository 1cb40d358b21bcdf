#include "Output.h"

#include "REDarodo/Bitmap.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

bool IZVOutput::Publish(const std::string& pPath, std::string& pError) {
    if (std::rename(PartName(pPath).c_str(), pPath.c_str()) == 0)
        return true;
    pError = "cannot write " + pPath + ": " + std::strerror(errno);
    return false;
}

void IZVOutput::CopyPicture(const TBitmap* pPicture, int pWidth, int pHeight, bool pRgb,
                            uint8_t* pTarget, long pStride) {
    const int size = pRgb ? 3 : 4;
    for (int y = 0; y < pHeight; ++y)
        std::fill_n(pTarget + y * pStride, long(pWidth) * size, uint8_t(0));
    const uint8_t* pixels = pPicture ? static_cast<const uint8_t*>(pPicture->GetRawData()) : nullptr;
    if (!pixels)
        return;
    const int width = std::min(pWidth, pPicture->GetWidth());
    const int height = std::min(pHeight, pPicture->GetHeight());
    for (int y = 0; y < height; ++y) {
        const uint8_t* from = pixels + y * pPicture->GetRowBytes();
        uint8_t* to = pTarget + y * pStride;
        for (int x = 0; x < width; ++x, from += 4, to += size) {
            to[0] = pRgb ? from[2] : from[0];
            to[1] = from[1];
            to[2] = pRgb ? from[0] : from[2];
        }
    }
}
