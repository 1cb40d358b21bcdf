// The media source rows: a row that plays one medium of the host's media library. The audio
// row shows its medium's waveform through the waveform cache; its render index is the row
// base's aRenderKey.
#pragma once

#include "DLL/Row/BaseRow.h"

class TZVMedia;

class TZVAudioMediaSourceRow : public TZVBaseRow {
public:
    // Forgets the row's waveform context when it has a medium.
    ~TZVAudioMediaSourceRow() override;

    // The medium; null when the row has none. Not owned.
    TZVMedia* aMedia;

protected:
    // No medium.
    TZVAudioMediaSourceRow();
};
