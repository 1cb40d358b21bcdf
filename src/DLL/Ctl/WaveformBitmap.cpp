#include "DLL/Ctl/WaveformBitmap.h"

#include "ALL/Assert.h"
#include "ALL/Number.h"
#include "ALL/Variant.h"
#include "DLL/Bas/Formula.h"
#include "DLL/Bas/RenderContext.h"
#include "DLL/Row/BaseRow.h"
#include "REDarodo/Media.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

namespace {

constexpr uint64_t ALL_COLUMNS = ~uint64_t(0);
// Medium times beyond this many ms lie far outside any summary; keeping them there keeps the
// level arithmetic inside 64 bits.
constexpr double MAX_MEDIUM_MS = 0x1p48;

int SlotOf(int64_t pChunk) {
    return int(pChunk & TZVWaveformBitmap::MAX_CHUNK_MASK);
}

uint64_t ColumnBit(int64_t pPixel) {
    return uint64_t(1) << (pPixel & 63);
}

// nint, saturated to the 32-bit range.
long NearestTime(double pValue) {
    return SaturateToInt(std::nearbyint(pValue));
}

// nint(1000 x seconds); false for a value that is not a number.
bool ToMs(const TVariant& pSeconds, int64_t& pMs) {
    if (pSeconds.IsUndefined() || pSeconds.IsText() || std::isnan(pSeconds.GetDouble()))
        return false;
    const double ms = std::nearbyint(1000.0 * pSeconds.GetDouble());
    pMs = int64_t(std::clamp(ms, -MAX_MEDIUM_MS, MAX_MEDIUM_MS));
    return true;
}

uint8_t NibbleMax(uint8_t pOne, uint8_t pOther) {
    return uint8_t(std::max(pOne & 0x0F, pOther & 0x0F) | std::max(pOne & 0xF0, pOther & 0xF0));
}

} // namespace

int TZVWaveformBitmap::theMinChunk = 0;
int TZVWaveformBitmap::theChunkCount = 0;
double TZVWaveformBitmap::theScale = 1.0;
double TZVWaveformBitmap::theInvScale = 1.0;
int TZVWaveformBitmap::theCurPixel = -1;
long TZVWaveformBitmap::theCurTime = 0;
int TZVWaveformBitmap::theSubCount = 0;
bool TZVWaveformBitmap::theIsFirstSub = false;
TZVWaveformBitmap::INotify* TZVWaveformBitmap::theNotify = nullptr;
std::atomic<uint64_t> TZVWaveformBitmap::thePostedMask(0);
std::list<TZVWaveformBitmap> TZVWaveformBitmap::theContextList;
std::list<TZVWaveformBitmap>::iterator TZVWaveformBitmap::theSweepCursor =
    TZVWaveformBitmap::theContextList.end();
TZVWaveformFactory TZVWaveformBitmap::theFactory;

TZVWaveformBitmap::TZVWaveformBitmap()
    : aAudioSource(nullptr), aParams(nullptr), aWaveform(nullptr), aIsActive(false) {
    for (int slot = 0; slot < 64; ++slot) {
        aNeed[slot].store(0, std::memory_order_relaxed);
        aDone[slot].store(0, std::memory_order_relaxed);
    }
    // A context that joins a column after its first sub-step takes the maximum with these.
    std::memset(aPixels, 0, sizeof aPixels);
}

void TZVWaveformBitmap::Init(INotify* pNotify) {
    theChunkCount = 0;
    IZVWaveformFactory::theSingleton = &theFactory;
    theNotify = pNotify;
    theSweepCursor = theContextList.end();
}

void TZVWaveformBitmap::SetScale(double pScale) {
    if (!ZV_ASSERT(pScale > 0.0 && std::isfinite(pScale)))
        return;
    theScale = pScale;
    theInvScale = 1.0 / pScale;
    for (TZVWaveformBitmap& context : theContextList)
        context.invalidate();
}

void TZVWaveformBitmap::DrawPixelRange(const TZVBaseRow* pRow, int pBegin, int pEnd) {
    if (!ZV_ASSERT(pBegin <= pEnd) || pBegin == pEnd)
        return;
    TZVWaveformBitmap* context = find(pRow);
    if (!context)
        return;
    const int first = pBegin >> 6;
    const int end = std::min(((pEnd - 1) >> 6) + 1, first + 64);
    moveWindow(first, end);
    context->aIsActive = true;
    // A range cut to 64 chunks keeps its last chunk whole.
    context->markNeed(pBegin, std::min(int64_t(pEnd), int64_t(end) * 64));
}

void TZVWaveformBitmap::LeavePixel(const TZVBaseRow* pRow, int pPixel) {
    if (!isLive(pPixel >> 6))
        return;
    if (TZVWaveformBitmap* context = find(pRow))
        context->aNeed[SlotOf(pPixel >> 6)].fetch_and(~ColumnBit(pPixel),
                                                      std::memory_order_relaxed);
}

void TZVWaveformBitmap::Invalidate(const TZVBaseRow* pAudioRow) {
    if (!ZV_ASSERT(pAudioRow != NULL))
        return;
    if (TZVWaveformBitmap* context = lookUp(pAudioRow))
        context->invalidate();
}

void TZVWaveformBitmap::Remove(const TZVBaseRow* pRow) {
    const TZVAudioMediaSourceRow* audio = NSAudioMediaRow::Cast(pRow, true);
    if (!audio)
        return;
    for (auto context = theContextList.begin(); context != theContextList.end(); ++context) {
        if (context->aAudioSource != audio)
            continue;
        if (theSweepCursor == context)
            theSweepCursor =
                context == theContextList.begin() ? theContextList.end() : std::prev(context);
        theContextList.erase(context);
        return;
    }
}

void TZVWaveformBitmap::SetVertRange(int pTop, int pBottom) {
    for (TZVWaveformBitmap& context : theContextList) {
        if (!context.aAudioSource)
            continue;
        const TZVBaseRow* row = NSAudioMediaRow::AsBaseRow(context.aAudioSource);
        context.aIsActive = row->IsActuallyShown() && row->aTop < pBottom &&
                            int64_t(row->aTop) + row->aHeight > pTop;
    }
}

void TZVWaveformBitmap::LoadContext(const IZVRenderContextSet* pSet) {
    for (TZVWaveformBitmap& context : theContextList)
        context.loadContext(pSet);
}

int TZVWaveformBitmap::NextTime(long& pTime) {
    if (theChunkCount == 0)
        return 0;
    int start = theCurPixel >> 6;
    if (!isLive(start))
        start = theMinChunk;
    int result = 2;
    // Once round the window as it stood; a window moved by the callback ends the scan early.
    const int visits = theChunkCount;
    for (int visit = 0; visit < visits; ++visit) {
        int64_t chunk = int64_t(start) + visit;
        if (chunk >= int64_t(theMinChunk) + theChunkCount)
            chunk -= theChunkCount;
        if (!isLive(int(chunk)))
            return 0;
        const int slot = SlotOf(chunk);
        uint64_t pending = 0;
        bool needed = false;
        for (const TZVWaveformBitmap& context : theContextList) {
            if (!context.aParams)
                result = 1;
            const uint64_t need = context.aNeed[slot].load(std::memory_order_relaxed);
            needed = needed || need != 0;
            if (context.aIsActive)
                pending |= need & ~context.aDone[slot].load(std::memory_order_acquire);
        }
        if (pending) {
            const int pixel = int(chunk * 64 + __builtin_ctzll(pending));
            // Only a column with sub-steps to come goes on in time; any other starts again
            // at its own time (after a round without parameters, say).
            if (pixel == theCurPixel && result == 2 && theSubCount > 0) {
                ++theCurTime;
            } else {
                theSubCount = 0;
                theCurPixel = pixel;
                theCurTime = NearestTime(pixel * theInvScale);
            }
            pTime = theCurTime;
            return result;
        }
        const bool posted = thePostedMask.load(std::memory_order_relaxed) >> slot & 1;
        if (needed && !posted && theNotify)
            theNotify->OnChunkReady(int(chunk));
    }
    return 0;
}

void TZVWaveformBitmap::ComputeSlice() {
    const int count = columnCount();
    for (TZVWaveformBitmap& context : theContextList)
        if (context.aIsActive)
            context.computePixel(count);
}

TZVWaveformBitmap* TZVWaveformBitmap::GetNextBitmap() {
    auto context =
        theSweepCursor == theContextList.end() ? theContextList.begin() : std::next(theSweepCursor);
    for (; context != theContextList.end(); ++context) {
        if (context->aIsActive) {
            theSweepCursor = context;
            return &*context;
        }
    }
    theSweepCursor = theContextList.end();
    return nullptr;
}

void TZVWaveformBitmap::MarkChunkPost(int pChunk, bool pPosted) {
    const uint64_t bit = uint64_t(1) << SlotOf(pChunk);
    if (pPosted)
        thePostedMask.fetch_or(bit);
    else
        thePostedMask.fetch_and(~bit);
}

uint64_t TZVWaveformBitmap::GetAndClearNeed(int pChunk) {
    const int slot = SlotOf(pChunk);
    const uint64_t need = aNeed[slot].load(std::memory_order_relaxed);
    if (need & ~aDone[slot].load(std::memory_order_acquire))
        return 0;
    aNeed[slot].store(0, std::memory_order_relaxed);
    return need;
}

void TZVWaveformBitmap::Reset(int pChunk) {
    if ((pChunk & ~MAX_CHUNK_MASK) != 0) {
        // The report keeps the text the check has always had.
        ZV_FAIL("(pChunk & ~MAX_CHUNK_MASK)==0");
        return;
    }
    aNeed[pChunk].store(0, std::memory_order_relaxed);
    aDone[pChunk].store(0, std::memory_order_relaxed);
    aIsActive = false;
}

TZVWaveformBitmap* TZVWaveformBitmap::find(const TZVBaseRow* pRow) {
    const TZVAudioMediaSourceRow* audio = NSAudioMediaRow::Cast(pRow, false);
    if (!audio)
        return nullptr;
    for (TZVWaveformBitmap& context : theContextList)
        if (context.aAudioSource == audio)
            return &context;
    theContextList.emplace_front();
    theContextList.front().aAudioSource = audio;
    return &theContextList.front();
}

TZVWaveformBitmap* TZVWaveformBitmap::lookUp(const TZVBaseRow* pRow) {
    const TZVAudioMediaSourceRow* audio = NSAudioMediaRow::Cast(pRow, true);
    for (TZVWaveformBitmap& context : theContextList)
        if (audio && context.aAudioSource == audio)
            return &context;
    return nullptr;
}

bool TZVWaveformBitmap::isLive(int pChunk) {
    return pChunk >= theMinChunk && int64_t(pChunk) < int64_t(theMinChunk) + theChunkCount;
}

void TZVWaveformBitmap::moveWindow(int pFirst, int pEnd) {
    if (theChunkCount == 0) {
        theMinChunk = pFirst;
        theChunkCount = pEnd - pFirst;
        return;
    }
    const int oldFirst = theMinChunk;
    const int oldEnd = theMinChunk + theChunkCount;
    const int start = std::min(pFirst, oldFirst);
    const int span = std::max(pEnd, oldEnd) - start;
    const int excess = span - 64;
    int freeFirst = oldFirst;
    int freeEnd = oldFirst;
    if (excess <= 0) {
        theMinChunk = start;
        theChunkCount = span;
    } else if (excess > theChunkCount) {
        theMinChunk = pFirst;
        theChunkCount = pEnd - pFirst;
        freeEnd = oldEnd;
    } else if (oldFirst >= pFirst) {
        theMinChunk = pFirst;
        theChunkCount = 64;
        freeFirst = oldEnd - excess;
        freeEnd = oldEnd;
    } else {
        theMinChunk = oldFirst + excess;
        theChunkCount = 64;
        freeEnd = oldFirst + excess;
    }
    for (int chunk = freeFirst; chunk < freeEnd; ++chunk)
        freeChunk(chunk);
}

void TZVWaveformBitmap::freeChunk(int pChunk) {
    for (TZVWaveformBitmap& context : theContextList) {
        context.aNeed[SlotOf(pChunk)].store(0, std::memory_order_relaxed);
        context.aDone[SlotOf(pChunk)].store(0, std::memory_order_relaxed);
        context.aIsActive = false;
    }
}

int TZVWaveformBitmap::columnCount() {
    if (theSubCount > 0) {
        --theSubCount;
        theIsFirstSub = false;
        return 0;
    }
    if (theScale > 1.0)
        return SaturateToInt(std::nearbyint(double(theCurTime + 1) * theScale) - theCurPixel);
    if (theScale < 1.0) {
        const long next = NearestTime((double(theCurPixel) + 1.0) * theInvScale);
        theSubCount = std::max(SaturateToInt(int64_t(next) - theCurTime - 1), 0);
        theIsFirstSub = theSubCount > 0;
        return theIsFirstSub ? 0 : 1;
    }
    return 1;
}

void TZVWaveformBitmap::invalidate() {
    if (!aAudioSource)
        return;
    for (int64_t chunk = theMinChunk; chunk < int64_t(theMinChunk) + theChunkCount; ++chunk) {
        aNeed[SlotOf(chunk)].store(0, std::memory_order_relaxed);
        aDone[SlotOf(chunk)].store(0, std::memory_order_relaxed);
    }
}

void TZVWaveformBitmap::loadContext(const IZVRenderContextSet* pSet) {
    if (!aAudioSource)
        return;
    TZVMedia* media = NSAudioMediaRow::GetMedia(aAudioSource);
    const IZVRenderContext* render =
        pSet ? pSet->GetContext(NSAudioMediaRow::AsBaseRow(aAudioSource)->aRenderKey) : nullptr;
    // What an earlier load handed over belongs to a renderer or a medium that may be gone:
    // a row without either keeps nothing of it.
    aParams = media && render ? render->GetParams(0, 0) : nullptr;
    aWaveform = media && render ? media->GetWaveform() : nullptr;
}

void TZVWaveformBitmap::markNeed(int64_t pBegin, int64_t pEnd) {
    const int64_t first = pBegin >> 6;
    const int64_t last = (pEnd - 1) >> 6;
    const int endColumn = int(((pEnd - 1) & 63) + 1);
    const uint64_t firstMask = ALL_COLUMNS << (pBegin & 63);
    const uint64_t lastMask = endColumn == 64 ? ALL_COLUMNS : (uint64_t(1) << endColumn) - 1;
    for (int64_t chunk = first; chunk <= last; ++chunk) {
        uint64_t mask = ALL_COLUMNS;
        if (chunk == first)
            mask &= firstMask;
        if (chunk == last)
            mask &= lastMask;
        aNeed[SlotOf(chunk)].fetch_or(mask, std::memory_order_relaxed);
    }
}

bool TZVWaveformBitmap::isSkipped(int pCount) const {
    const int chunk = theCurPixel >> 6;
    if (!isLive(chunk))
        return true;
    const int column = theCurPixel & 63;
    const uint64_t pending = aNeed[SlotOf(chunk)].load(std::memory_order_relaxed) &
                             ~aDone[SlotOf(chunk)].load(std::memory_order_relaxed);
    if (pCount < 2)
        return !(pending >> column & 1);
    const int64_t end = std::min<int64_t>(int64_t(column) + pCount, 64);
    const uint64_t span =
        (end == 64 ? ALL_COLUMNS : (uint64_t(1) << end) - 1) & (ALL_COLUMNS << column);
    if (pending & span)
        return false;
    if (int64_t(column) + pCount <= 64 || !isLive(chunk + 1))
        return true;
    const int next = SlotOf(int64_t(chunk) + 1);
    return !(aNeed[next].load(std::memory_order_relaxed) &
             ~aDone[next].load(std::memory_order_relaxed));
}

void TZVWaveformBitmap::computePixel(int pCount) {
    if (!aParams || pCount < 0 || isSkipped(pCount))
        return;
    int64_t begin = 0;
    int64_t end = 0;
    const IFormula* seconds = aParams[0];
    if (seconds && !(ToMs(seconds->ComputePointAt(double(theCurTime)), begin) &&
                     ToMs(seconds->ComputePointAt(double(theCurTime + 1)), end)))
        begin = end = 0;
    if (pCount >= 2) {
        storeRun(begin, end, pCount);
        return;
    }
    const uint8_t level = aWaveform ? aWaveform->GetIntervalLevel(begin, end) : 0;
    uint8_t& pixel = aPixels[SlotOf(theCurPixel >> 6)][theCurPixel & 63];
    if (pCount == 1 || theIsFirstSub)
        pixel = level;
    else
        pixel = NibbleMax(pixel, level);
    if (pCount == 1 || (!theIsFirstSub && theSubCount == 0))
        markDone(theCurPixel, ColumnBit(theCurPixel));
}

void TZVWaveformBitmap::storeRun(int64_t pBegin, int64_t pEnd, int pCount) {
    const int64_t levels = (pEnd - pBegin) >> 2;
    const int64_t first = pBegin >> 2;
    // Only live chunks: the slot after the window's end belongs to its first chunk.
    const int64_t liveEnd = (int64_t(theMinChunk) + theChunkCount) * 64;
    const int64_t end = std::min<int64_t>(int64_t(theCurPixel) + pCount, liveEnd);
    for (int64_t column = theCurPixel; column < end;) {
        const int64_t chunkEnd = std::min(end, (column | 63) + 1);
        const int slot = SlotOf(column >> 6);
        uint64_t bits = 0;
        for (; column < chunkEnd; ++column) {
            const TLevelShare share = ShareLevels(levels, pCount, column - theCurPixel);
            aPixels[slot][column & 63] =
                aWaveform ? aWaveform->GetMaxLevel(first + share.aFirst, share.aEnd - share.aFirst)
                          : 0;
            bits |= ColumnBit(column);
        }
        markDone(int(chunkEnd - 1), bits);
    }
}

void TZVWaveformBitmap::markDone(int pPixel, uint64_t pBits) {
    aDone[SlotOf(pPixel >> 6)].fetch_or(pBits, std::memory_order_release);
}
