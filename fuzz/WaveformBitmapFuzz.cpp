// The waveform cache under any sequence of its operations, the host's work on single contexts
// among them, with any ranges and pixels, and medium times that are undefined, NaN or +-1e12 s:
// at most 64 live chunks, no mask bit in a slot outside them, and a computing loop that ends.
#include "DLL/Ctl/WaveformBitmap.h"
#include "FuzzInput.h"
#include "support/FakeWaveform.h"

#include <cmath>

namespace {

const TExpectedAsserts theExpected{"pBegin <= pEnd"};

typedef TZVWaveformBitmap TWB;

// No bit outside the live slots, and no more than 64 live chunks.
void CheckWindow() {
    Require(TWB::theChunkCount >= 0 && TWB::theChunkCount <= 64);
    uint64_t live = 0;
    for (int chunk = 0; chunk < TWB::theChunkCount; ++chunk)
        live |= uint64_t(1) << ((TWB::theMinChunk + chunk) & 63);
    for (const TWB& context : TWB::theContextList)
        for (int slot = 0; slot < 64; ++slot)
            if (!(live >> slot & 1))
                Require(!context.aNeed[slot] && !context.aDone[slot]);
}

// What the host may do to one context between the loop's steps: free any chunk, forget the
// context's columns, load it from the set, from a renderer that knows no row or from none, or
// compute it with any count.
void HostStep(TFuzzInput& pInput, TWB* pContext, const TFakeContextSet& pSet) {
    static const TFakeContextSet theGone;
    switch (pInput.Byte() % 4) {
    case 0:
        TWB::freeChunk(pInput.Take<int32_t>());
        break;
    case 1:
        pContext->invalidate();
        break;
    case 2: {
        const TFakeContextSet* const sets[] = {&pSet, &theGone, nullptr};
        pContext->loadContext(sets[pInput.Byte() % 3]);
        break;
    }
    default:
        pContext->computePixel(pInput.Take<int16_t>());
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t pSize) {
    static const std::unique_ptr<TZVMedia> theMedium = [] {
        std::vector<int16_t> samples;
        for (int level = 0; level < 2000; ++level)
            samples.push_back(SampleOfLevel(level % 16));
        return LevelMedium(2, samples);
    }();
    static const double theFactors[] = {1.0, 4.0, 40.0, 1e15, -1e15, NAN, 1e300};
    static const double theScales[] = {0.25, 1.0, 4.0, 1e-3, 3.7, 1e3, 0.5};
    TFuzzInput input(pData, pSize);
    TChunkLog notify;
    TWB::Init(&notify);
    TSecondsFormula seconds(input.Pick(theFactors));
    seconds.aUndefined = input.Byte() % 5 == 0;
    TFakeContextSet set;
    set.Set(0, &seconds);
    set.Set(1, &seconds);
    TFakeAudioRow rows[3] = {TFakeAudioRow(theMedium.get(), 0), TFakeAudioRow(theMedium.get(), 1),
                             TFakeAudioRow(nullptr, 2)};
    for (int op = 0; !input.Empty() && op < 200; ++op) {
        TFakeAudioRow* row = &rows[input.Byte() % 3];
        switch (input.Byte() % 13) {
        case 0:
            TWB::DrawPixelRange(row, input.Take<int32_t>(), input.Take<int32_t>());
            break;
        case 1: {
            const int begin = input.Take<int16_t>() * 8;
            TWB::DrawPixelRange(row, begin, begin + int(input.Byte()) * 32);
            break;
        }
        case 2:
            TWB::LeavePixel(row, input.Take<int32_t>());
            break;
        case 3:
            TWB::Invalidate(row);
            break;
        case 4:
            TWB::Remove(row);
            break;
        case 5:
            TWB::SetVertRange(input.Take<int32_t>(), input.Take<int32_t>());
            break;
        case 6:
            TWB::LoadContext(&set);
            break;
        case 7: {
            long time = 0;
            for (int step = 0; step < 300 && TWB::NextTime(time); ++step)
                TWB::ComputeSlice();
            break;
        }
        case 8:
            while (TWB::GetNextBitmap())
                ;
            break;
        case 9:
            for (TWB& context : TWB::theContextList)
                context.GetAndClearNeed(input.Take<int32_t>());
            break;
        case 10:
            TWB::MarkChunkPost(input.Take<int32_t>(), input.Byte() & 1);
            if (!TWB::theContextList.empty())
                TWB::theContextList.front().Reset(int(input.Byte() & 63));
            break;
        case 11:
            HostStep(input, TWB::find(row), set);
            break;
        default:
            TWB::SetScale(input.Pick(theScales));
            break;
        }
        CheckWindow();
    }
    for (TFakeAudioRow& row : rows)
        TWB::Remove(&row);
    TWB::thePostedMask = 0;
    return 0;
}
