#include "DLL/Bas/StreamInt.h"

#include "ALL/Assert.h"

IZVRenderStream::~IZVRenderStream() = default;

IZVAudioStream::~IZVAudioStream() = default;

IZVVideoStream::~IZVVideoStream() = default;

IZVAudioStream* IZVAudioStream::Cast(IZVRenderStream* pStream) {
    if (!pStream)
        return nullptr;
    return CheckAssert(wxT(__FILE__), __LINE__, __func__,
                       L"dynamic_cast<IZVAudioStream *>(pStream) returned NULL",
                       dynamic_cast<IZVAudioStream*>(pStream), wxTheAssertHandler);
}

IZVVideoStream* IZVVideoStream::Cast(IZVRenderStream* pStream) {
    if (!pStream)
        return nullptr;
    return CheckAssert(wxT(__FILE__), __LINE__, __func__,
                       L"dynamic_cast<IZVVideoStream*>(pStream) returned NULL",
                       dynamic_cast<IZVVideoStream*>(pStream), wxTheAssertHandler);
}
