#include "DLL/Row/VideoMediaStream.h"

#include "ALL/Assert.h"
#include "ALL/TypeDef.h"
#include "DLL/Bas/RenderContext.h"
#include "DLL/Row/RenderParam.h"

#include "REDarodo/Media.h"

#include <algorithm>
#include <cmath>

TZVVideoMediaStream::TZVVideoMediaStream(IReaderVideo* pReader)
    : aReader(pReader), aImage(-1), aImageCount(0) {
    if (!aReader)
        return;
    const TImageFormat format = aReader->GetFormat();
    aSize = wxPoint(format.aWidth, format.aHeight);
    aNoAlpha = !aReader->HasAlpha();
    aImageCount = (unsigned long)std::max(aReader->GetImageCount(), 0L);
}

TZVVideoMediaStream::~TZVVideoMediaStream() {
    delete aReader;
}

int32_t TZVVideoMediaStream::SetRenderContext(const IZVRenderContext* pContext) {
    if (!ZV_ASSERT(pContext != NULL))
        return 4;
    NSRenderParam::CheckParamCount(*pContext, 1,
                                   "pContext->GetParamCount() == TZVMediaSourceRow::paramTOTAL");
    const long image = ImageAt(*pContext);
    if (image < 0) {
        // Whatever shows next must count as a change: the host showed no picture meanwhile.
        aImage = -1;
        return 4;
    }
    if (image != aImage) {
        aChangeStamp = pContext->GetStamp();
        aImage = image;
    }
    return 0;
}

long TZVVideoMediaStream::ImageAt(const IZVRenderContext& pContext) const {
    if (!aReader || !aType)
        return -1;
    const TVariant value = aType->Constrain(NSRenderParam::FirstValue(pContext, 1));
    if (!value.IsNumeric())
        return -1;
    // Tested on the double, so that no value far out of range reaches a conversion.
    const double image = std::round(value.GetDouble());
    if (!(image >= 0.0 && image < double(aImageCount)))
        return -1;
    return long(image);
}

void TZVVideoMediaStream::Update(const IZVRenderContext*) {
    if (!aReader || aImage < 0)
        return;
    const TBitmap& image = aReader->GetImage(aImage);
    aBitmap.LoadDIB(image.GetRawData(), image.GetWidth(), image.GetHeight());
}
