#include "PictureConverter.h"

namespace {

// The threads that convert one picture: beyond four, a 1080p picture's bands gain nothing.
constexpr int theScaleThreads = 4;

// One premultiplied byte: x * alpha / 255, rounded.
inline uint8_t Premultiply(unsigned pValue, unsigned pAlpha) {
    return uint8_t((pValue * pAlpha + 127) / 255);
}

} // namespace

bool TPictureConverter::Convert(const AVFrame& pFrame, const TVideoIndex& pIndex,
                                TAllocBitmap& pImage) {
    const bool turned = pIndex.aTurns != 0;
    // The decoded picture's own size: the size shown, not turned.
    const int width = pIndex.aTurns % 2 ? pIndex.aHeight : pIndex.aWidth;
    const int height = pIndex.aTurns % 2 ? pIndex.aWidth : pIndex.aHeight;
    TAllocBitmap& target = turned ? aUnturned : pImage;
    target.Resize(width, height);
    if (!Scaler(pFrame, width, height) || !target.Allocate() || !Scale(pFrame, target))
        return false;
    if (turned && !Turn(pIndex.aTurns, pIndex.aWidth, pIndex.aHeight, pImage))
        return false;
    if (pIndex.aAlpha) {
        uint8_t* pixel = static_cast<uint8_t*>(pImage.GetRawData());
        for (long i = 0; i < long(width) * height; ++i, pixel += 4)
            for (int byte = 0; byte < 3; ++byte)
                pixel[byte] = Premultiply(pixel[byte], pixel[3]);
    }
    return true;
}

bool TPictureConverter::Scaler(const AVFrame& pFrame, int pWidth, int pHeight) {
    const TYuvColours colours = TYuvColours::Of(pFrame);
    const auto from = std::make_tuple(pFrame.width, pFrame.height, pFrame.format, colours);
    if ((aDirectOn || aScale.IsPrepared()) && aScaleFrom == from)
        return true;
    aScale.Reset();
    aDirectOn = pWidth == pFrame.width && pHeight == pFrame.height &&
                aDirect.Prepare(pFrame.format, pWidth, pHeight, colours);
    // Without threads to spare (a limit of processes), one thread converts the whole picture,
    // with the same pixels.
    if (!aDirectOn && !aScale.Prepare(pFrame, pWidth, pHeight, colours, theScaleThreads) &&
        !aScale.Prepare(pFrame, pWidth, pHeight, colours, 1))
        return false;
    aScaleFrom = from;
    return true;
}

bool TPictureConverter::Scale(const AVFrame& pFrame, TAllocBitmap& pTarget) {
    if (aDirectOn) {
        aDirect.Convert(pFrame, static_cast<uint8_t*>(pTarget.GetRawData()),
                        ptrdiff_t(pTarget.GetRowBytes()));
        return true;
    }
    return aScale.Convert(pFrame, pTarget);
}

bool TPictureConverter::Turn(int pTurns, int pWidth, int pHeight, TAllocBitmap& pImage) {
    const int fromWidth = aUnturned.GetWidth(), fromHeight = aUnturned.GetHeight();
    pImage.Resize(pWidth, pHeight);
    if (!pImage.Allocate())
        return false;
    const uint32_t* from = static_cast<const uint32_t*>(aUnturned.GetRawData());
    const size_t fromRow = aUnturned.GetRowBytes() / 4;
    for (int y = 0; y < pHeight; ++y) {
        uint32_t* to = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(pImage.GetRawData()) +
                                                   size_t(y) * pImage.GetRowBytes());
        for (int x = 0; x < pWidth; ++x) {
            // The decoded pixel that shows at (x, y).
            const int fromX = pTurns == 1 ? y : pTurns == 2 ? fromWidth - 1 - x : fromWidth - 1 - y;
            const int fromY = pTurns == 1   ? fromHeight - 1 - x
                              : pTurns == 2 ? fromHeight - 1 - y
                                            : x;
            to[x] = from[size_t(fromY) * fromRow + fromX];
        }
    }
    return true;
}
