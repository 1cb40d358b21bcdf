// TZVVideoMediaStream: the render stream of a video media row. Each frame it shows the image
// of the medium that the row's "Image" parameter names, straight from the reader's memory.
#pragma once

#include "DLL/Bas/MediaStream.h"
#include "DLL/Bas/StreamBase.h"

class IReaderVideo;

class TZVVideoMediaStream : public TZVVideoStreamBase, public TZVMediaStream {
public:
    // Takes ownership of pReader (may be null: the stream then never has a picture). The
    // frame size, alpha and image count are the reader's.
    explicit TZVVideoMediaStream(IReaderVideo* pReader);
    ~TZVVideoMediaStream() override;

    // 0 when "Image" names an image of the medium (the change stamp moves only when the image
    // differs from the last one shown); 4 when it names none, the value is undefined or a
    // text, or the stream has no reader or no type yet. After a 4 the next image shown is
    // a change, whatever it is.
    int32_t SetRenderContext(const IZVRenderContext* pContext) override;
    // Makes the bitmap show the reader's decoded image; the context is not read.
    void Update(const IZVRenderContext* pContext) override;

private:
    // The image "Image" names, or -1 when it names none.
    long ImageAt(const IZVRenderContext& pContext) const;

    IReaderVideo* aReader; // owned
    long aImage;           // the image shown; -1 = none
    unsigned long aImageCount;
};
