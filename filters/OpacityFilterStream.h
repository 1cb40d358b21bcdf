// TZVOpacityFilterStream: the picture of the "Opacity" filter: its input (source 0) with
// every pixel scaled by the opacity, then masked by the mask source (source 1) when the row
// has one that does not cover it opaquely.
#pragma once

#include "DLL/Bas/StreamBase.h"

class TZVOpacityFilterStream : public TZVVideoFilterStream {
public:
    TZVOpacityFilterStream();
    ~TZVOpacityFilterStream() override;

    // 4 without an input picture; else 0, the picture counted as changed in every frame.
    int32_t SetRenderContext(const IZVRenderContext* pContext) override;
    void Update(const IZVRenderContext* pContext) override;

private:
    int aOpacity; // 0 to 255
    bool aMasked; // this frame is masked
};
