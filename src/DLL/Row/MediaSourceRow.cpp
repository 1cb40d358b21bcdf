#include "DLL/Row/MediaSourceRow.h"

#include "ALL/Assert.h"
#include "DLL/Ctl/WaveformBitmap.h"

TZVAudioMediaSourceRow::TZVAudioMediaSourceRow() : aMedia(nullptr) {}

TZVAudioMediaSourceRow::~TZVAudioMediaSourceRow() {
    if (aMedia)
        TZVWaveformBitmap::Remove(this);
}

namespace NSAudioMediaRow {

const TZVAudioMediaSourceRow* Cast(const TZVBaseRow* pRow, bool pQuiet) {
    const TZVAudioMediaSourceRow* audio = dynamic_cast<const TZVAudioMediaSourceRow*>(pRow);
    if (!audio && !pQuiet)
        ZV_FAIL("dynamic_cast<const TZVAudioMediaSourceRow*>(pAudioSource) returned NULL");
    return audio;
}

const TZVBaseRow* AsBaseRow(const TZVAudioMediaSourceRow* pRow) {
    return pRow;
}

TZVMedia* GetMedia(const TZVAudioMediaSourceRow* pRow) {
    return pRow->aMedia;
}

} // namespace NSAudioMediaRow
