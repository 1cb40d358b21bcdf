#include "ReaderVideoFF.h"

#include <cstring>

namespace {

constexpr long lastUNKNOWN = -2;
// Images decoded forward rather than seeking, when the wanted one is that close ahead.
constexpr long theForwardReach = 32;

// One premultiplied byte: x * alpha / 255, rounded.
inline uint8_t Premultiply(unsigned pValue, unsigned pAlpha) {
    return uint8_t((pValue * pAlpha + 127) / 255);
}

} // namespace

TReaderVideoFF::TReaderVideoFF(std::shared_ptr<const TMediaSource> pSource,
                               std::shared_ptr<const TVideoIndex> pIndex)
    : aSource(std::move(pSource)), aIndex(std::move(pIndex)) {}

TReaderVideoFF::~TReaderVideoFF() = default;

TImageFormat TReaderVideoFF::GetFormat() const {
    return TImageFormat{aIndex->aWidth, aIndex->aHeight};
}

bool TReaderVideoFF::HasAlpha() const {
    return aIndex->aAlpha;
}

long TReaderVideoFF::GetImageCount() const {
    return aIndex->ImageCount();
}

const TBitmap& TReaderVideoFF::GetImage(long pImage) {
    if (pImage < 0 || pImage >= aIndex->ImageCount())
        return aNone;
    return GetPicture(aIndex->PictureOf(pImage));
}

const TBitmap& TReaderVideoFF::GetPicture(long pImage) {
    if (pImage == aCached)
        return aImage;
    TMediaLogScope scope(aSource->aLog);
    aCached = -1;
    int64_t wanted = 0, reached = 0;
    const bool ahead =
        aDecoding.aInput && aLast >= 0 && pImage > aLast && pImage - aLast <= theForwardReach;
    const bool sameKey = aDecoding.aInput && aLast >= 0 && pImage > aLast &&
                         aIndex->KeyTimeBefore(pImage, 0, &wanted) &&
                         aIndex->KeyTimeBefore(aLast, 0, &reached) && wanted == reached;
    if ((ahead || sameKey) && DecodeUntil(pImage))
        return aImage;
    // Each try starts one keyframe further back, the last one at the start of the file. A
    // damaged keyframe is no start: the decoder conceals the damage from the pictures before,
    // as it does when it plays on from them.
    for (int back = 0; back < 4; ++back) {
        if (SeekBefore(pImage, back) && DecodeUntil(pImage) && !aStartDamaged)
            return aImage;
        aCached = -1;
    }
    return aNone;
}

bool TReaderVideoFF::SeekBefore(long pImage, int pBack) {
    int64_t time = 0;
    const bool fromStart = pBack == 3 || !aIndex->KeyTimeBefore(pImage, pBack, &time) ||
                           time == aIndex->aKeyTimes.front();
    aStarting = true;
    aStartDamaged = false;
    if (fromStart || !aDecoding.aInput) {
        aLast = -1;
        aStarting = !fromStart;
        if (!aDecoding.Open(*aSource, aIndex->aStream) || fromStart)
            return aDecoding.aInput != nullptr;
    }
    aLast = lastUNKNOWN;
    return aDecoding.Seek(time);
}

bool TReaderVideoFF::DecodeNext() {
    if (!aDecoding.Receive())
        return false;
    if (aStarting)
        aStartDamaged = aDecoding.aFrame->decode_error_flags != 0 ||
                        (aDecoding.aFrame->flags & AV_FRAME_FLAG_CORRUPT);
    aStarting = false;
    const long found = aIndex->Find(aDecoding.aFrame->best_effort_timestamp, aLast);
    aLast = found >= 0 ? found : aLast == lastUNKNOWN ? lastUNKNOWN : aLast + 1;
    return true;
}

bool TReaderVideoFF::DecodeUntil(long pImage) {
    if (!aHeld)
        aHeld.reset(av_frame_alloc());
    bool held = false;
    while (DecodeNext()) {
        if (aLast == lastUNKNOWN)
            return false;
        if (aLast == pImage)
            return Convert(aDecoding.aFrame.get(), pImage);
        // The decoder gave no picture for pImage (its packet was too damaged): the one before
        // stays on screen, as in a player.
        if (aLast > pImage)
            return held && Convert(aHeld.get(), pImage);
        av_frame_unref(aHeld.get());
        held = aHeld && av_frame_ref(aHeld.get(), aDecoding.aFrame.get()) >= 0;
    }
    return held && Convert(aHeld.get(), pImage);
}

bool TReaderVideoFF::Convert(const AVFrame* pFrame, long pImage) {
    const bool turned = aIndex->aTurns != 0;
    // The decoded picture's own size: the size shown, not turned.
    const int width = aIndex->aTurns % 2 ? aIndex->aHeight : aIndex->aWidth;
    const int height = aIndex->aTurns % 2 ? aIndex->aWidth : aIndex->aHeight;
    aScale.reset(sws_getCachedContext(aScale.release(), pFrame->width, pFrame->height,
                                      AVPixelFormat(pFrame->format), width, height, AV_PIX_FMT_BGRA,
                                      SWS_BICUBIC | SWS_BITEXACT | SWS_ACCURATE_RND, nullptr,
                                      nullptr, nullptr));
    TAllocBitmap& target = turned ? aUnturned : aImage;
    target.Resize(width, height);
    if (!aScale || !target.Allocate())
        return false;
    uint8_t* const rows[] = {static_cast<uint8_t*>(target.GetRawData())};
    const int rowBytes[] = {int(target.GetRowBytes())};
    if (sws_scale(aScale.get(), pFrame->data, pFrame->linesize, 0, pFrame->height, rows,
                  rowBytes) != height)
        return false;
    if (turned && !Turn())
        return false;
    if (aIndex->aAlpha) {
        uint8_t* pixel = static_cast<uint8_t*>(aImage.GetRawData());
        for (long i = 0; i < long(width) * height; ++i, pixel += 4)
            for (int byte = 0; byte < 3; ++byte)
                pixel[byte] = Premultiply(pixel[byte], pixel[3]);
    }
    aCached = pImage;
    return true;
}

bool TReaderVideoFF::Turn() {
    const int width = aIndex->aWidth, height = aIndex->aHeight;
    const int fromWidth = aUnturned.GetWidth(), fromHeight = aUnturned.GetHeight();
    aImage.Resize(width, height);
    if (!aImage.Allocate())
        return false;
    const uint32_t* from = static_cast<const uint32_t*>(aUnturned.GetRawData());
    const size_t fromRow = aUnturned.GetRowBytes() / 4;
    for (int y = 0; y < height; ++y) {
        uint32_t* to = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(aImage.GetRawData()) +
                                                   size_t(y) * aImage.GetRowBytes());
        for (int x = 0; x < width; ++x) {
            // The decoded pixel that shows at (x, y).
            const int fromX = aIndex->aTurns == 1   ? y
                              : aIndex->aTurns == 2 ? fromWidth - 1 - x
                                                    : fromWidth - 1 - y;
            const int fromY = aIndex->aTurns == 1   ? fromHeight - 1 - x
                              : aIndex->aTurns == 2 ? fromHeight - 1 - y
                                                    : x;
            to[x] = from[size_t(fromY) * fromRow + fromX];
        }
    }
    return true;
}
