// The waveform summary over an in-memory medium of any format (channels 0 to 65535, any bits
// and rate), any duration (negative, NaN, 1e12 s) and a reader that answers short or more
// than it was asked: no access outside a buffer, an array of the stated size, and level reads
// and previews that stay inside it.
#include "DLL/Ctl/Waveform.h"
#include "FuzzInput.h"
#include "REDarodo/Media.h"

#include <wx/colour.h>
#include <wx/image.h>

#include <cmath>
#include <memory>
#include <new>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t pSize) {
    TFuzzInput input(pData, pSize);
    auto sound = std::make_shared<TZVMemorySound>();
    sound->aFormat.aChannels = input.Take<uint16_t>();
    sound->aFormat.aBitsPerSample = input.Take<uint16_t>();
    sound->aFormat.aSamplesPerSec = input.Take<uint32_t>() % 200000;
    sound->aFormat.aBlockAlign = uint16_t(sound->aFormat.aChannels * (input.Byte() % 3));
    static const double theDurations[] = {-1.0, NAN, 1e12, 0.0, 0.01, 0.5, 3.0};
    sound->aDuration = input.Pick(theDurations) + input.Byte() / 64.0;
    for (unsigned reads = input.Byte() % 4; reads > 0; --reads)
        sound->aReadCounts.push_back(input.Take<int32_t>());
    while (!input.Empty())
        sound->aData.push_back(uint8_t(input.Byte()));
    std::unique_ptr<TZVMedia> media(TZVMedia::OpenMemory(sound));

    TZVWaveformFactory factory;
    TZVWaveform* wave = nullptr;
    try {
        wave = factory.Create(media.get());
    } catch (const std::bad_alloc&) {
        return 0;
    }
    const int64_t levels = (wave->aLengthMs + 3) >> 2;
    Require(wave->aLevelEnd - wave->aLevelBegin == (wave->IsStereo() ? levels : (levels + 1) >> 1));
    for (int64_t begin : {int64_t(-5), int64_t(0), wave->aLengthMs / 2, wave->aLengthMs + 9})
        for (int64_t end : {int64_t(-1), int64_t(7), wave->aLengthMs, int64_t(1) << 40})
            Require(wave->GetIntervalLevel(begin, end) <= (wave->IsStereo() ? 0xFF : 0x0F));
    const wxImage image = wave->MakePreviewImage(1 + int(pSize % 40), *wxRED, *wxBLACK, *wxWHITE);
    Require(image.GetHeight() == (wave->IsStereo() ? 31 : 15));
    factory.Destroy(wave);
    return 0;
}
