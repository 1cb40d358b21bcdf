#include "ReaderVideoFF.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr long lastUNKNOWN = -2;
// Images decoded forward rather than seeking, when the wanted one is that close ahead.
constexpr long theForwardReach = 32;

} // namespace

TReaderVideoFF::TReaderVideoFF(std::shared_ptr<const TMediaSource> pSource,
                               std::shared_ptr<const TVideoIndex> pIndex)
    : aSource(std::move(pSource)), aIndex(std::move(pIndex)), aConverter(aSource->aLog) {}

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
    const TBitmap& image = GetPicture(aIndex->PictureOf(pImage));
    // An image lost once the file could not be read (here or reading ahead): the medium says
    // so. A failure that cost no image is none.
    if (!image.GetRawData() && !aDecoding.aFailure.empty())
        aSource->NoteFailure(aDecoding.aFailure);
    return image;
}

const TBitmap& TReaderVideoFF::GetPicture(long pImage) {
    if (pImage == aCached)
        return aImage;
    const AVFrame* frame = DecodePicture(pImage);
    if (!frame || !aConverter.Convert(*frame, *aIndex, aImage))
        return aNone;
    aCached = pImage;
    return aImage;
}

const AVFrame* TReaderVideoFF::Decode(long pImage) {
    if (pImage < 0 || pImage >= aIndex->ImageCount())
        return nullptr;
    return DecodePicture(aIndex->PictureOf(pImage));
}

const AVFrame* TReaderVideoFF::DecodePicture(long pImage) {
    TMediaLogScope scope(aSource->aLog);
    aCached = -1;
    if (pImage >= aLostFrom)
        return nullptr;
    int64_t wanted = 0, reached = 0;
    const bool ahead =
        aDecoding.aInput && aLast >= 0 && pImage > aLast && pImage - aLast <= theForwardReach;
    const bool sameKey = aDecoding.aInput && aLast >= 0 && pImage > aLast &&
                         aIndex->KeyTimeBefore(pImage, 0, &wanted) &&
                         aIndex->KeyTimeBefore(aLast, 0, &reached) && wanted == reached;
    if ((ahead || sameKey) && DecodeUntil(pImage))
        return aShown.get();
    // Each try starts one keyframe further back, the last one at the start of the file. A
    // damaged keyframe is no start: the decoder conceals the damage from the pictures before,
    // as it does when it plays on from them. A file found cut short before the picture is
    // not read again: each try would end where it did.
    for (int back = 0; back < 4 && pImage < aLostFrom; ++back)
        if (SeekBefore(pImage, back) && DecodeUntil(pImage) && !aStartDamaged)
            return aShown.get();
    return nullptr;
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
    if (!aShown)
        aShown.reset(av_frame_alloc());
    bool held = false;
    while (DecodeNext()) {
        if (aLast == lastUNKNOWN)
            return false;
        if (aLast == pImage)
            return Show(aDecoding.aFrame.get());
        // The decoder gave no picture for pImage (its packet was too damaged): the one before
        // stays on screen, as in a player.
        if (aLast > pImage)
            return held && Show(aHeld.get());
        av_frame_unref(aHeld.get());
        held = aHeld && av_frame_ref(aHeld.get(), aDecoding.aFrame.get()) >= 0;
    }
    // Cut short, the file holds nothing after the last picture it gave up to its end.
    if (aDecoding.aDraining && aDecoding.aEndedShort)
        aLostFrom = std::min(aLostFrom, aLast >= 0 ? aLast + 1 : pImage);
    // Where the file could not be read on, pImage is lost: the one before is no stand-in.
    return held && aDecoding.aFailure.empty() && Show(aHeld.get());
}

bool TReaderVideoFF::Show(const AVFrame* pFrame) {
    av_frame_unref(aShown.get());
    return aShown && av_frame_ref(aShown.get(), pFrame) >= 0;
}
