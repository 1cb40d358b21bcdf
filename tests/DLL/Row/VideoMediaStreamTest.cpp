#include "DLL/Row/VideoMediaStream.h"

#include "ALL/TypeDef.h"
#include "support/AssertCapture.h"
#include "support/FakeRenderContext.h"

#include "REDarodo/Media.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace {

// Four images of 3 x 2 pixels, image n filled with n + 1, each read into the same memory.
class TFakeReader : public IReaderVideo {
public:
    const TBitmap& GetImage(long pImage) override {
        aPixels.assign(6, uint32_t(pImage + 1));
        aImage = TBitmap(aPixels.data(), 3, 2);
        return aImage;
    }
    TImageFormat GetFormat() const override { return {3, 2}; }
    bool HasAlpha() const override { return true; }
    long GetImageCount() const override { return 4; }

    std::vector<uint32_t> aPixels;
    TBitmap aImage;
};

// "Image" as the media row types it: whole numbers from 0 to pMax.
TTypeDef ImageType(double pMax) {
    TTypeDef type(paramTypeINTEGER);
    type.aRangeCheck = true;
    type.aMin = 0.0;
    type.aMax = pMax;
    return type;
}

// One pass at the next stamp with "Image" at pValue: the code, the stamp of the last change
// and the first pixel shown, e.g. "0 @2 px3".
wxString Pass(TZVVideoMediaStream& pStream, TFakeRenderContext& pContext, const TVariant& pValue) {
    TFakeValueFormula image = TFakeValueFormula::Constant(pValue);
    pContext.aFormulas = {&image};
    pContext.NextPass();
    const int code = pStream.SetRenderContext(&pContext);
    unsigned stamp = 0;
    while (stamp < pContext.aStamp && !pStream.UnchangedSince(stamp))
        ++stamp;
    wxString text = wxString::Format("%d @%u", code, stamp);
    if (code == 0) {
        pStream.Update(&pContext);
        text << " px" << *static_cast<uint32_t*>(pStream.GetRawData());
    }
    return text;
}

} // namespace

// Pass after pass: the constrained value rounded halves away from zero names the image; the
// stamp moves only when the image changes, and after a frame without picture even the old
// image counts as changed. The picture is the reader's memory, not owned. Without the row's
// range the value is tested as a double: far out, below 0 after rounding and NaN answer 4.
TEST(VideoMediaStream, ImageChoiceAndChangeStamps) {
    TFakeReader* reader = new TFakeReader;
    TZVVideoMediaStream stream(reader), unranged(new TFakeReader);
    stream.SetType(ImageType(4.0));
    unranged.SetType(TTypeDef(paramTypeINTEGER));
    TFakeRenderContext context;
    context.aParamCount = 1;
    const std::pair<TVariant, wxString> passes[] = {
        {1.0, "0 @2 px2"}, {2.5, "0 @3 px4"}, {TVariant(), "0 @4 px1"},          {-7.0, "0 @4 px1"},
        {4.0, "4 @4"},     {0.0, "0 @7 px1"}, {TVariant(wxString("3")), "4 @7"}, {0.0, "0 @9 px1"},
    };
    for (const auto& pass : passes)
        EXPECT_EQ(Pass(stream, context, pass.first), pass.second) << pass.first.GetImage();
    EXPECT_EQ(stream.GetRawData(), reader->aPixels.data());
    EXPECT_EQ(stream.GetSize(), wxPoint(3, 2));
    EXPECT_FALSE(stream.HasNoAlpha());
    wxString codes;
    for (double value : {1e20, -0.6, -0.4, 3.4, 3.5, std::numeric_limits<double>::quiet_NaN()})
        codes << Pass(unranged, context, value)[0];
    EXPECT_EQ(codes, "440044");
}

// No reader or no type: no picture. No value source (a keyed parameter in a gap): the type's
// default. A wrong parameter count is reported.
TEST(VideoMediaStream, MissingPiecesAnswerSafely) {
    TFakeRenderContext context;
    context.aParamCount = 1;
    TZVVideoMediaStream noReader(nullptr), noType(new TFakeReader), typed(new TFakeReader);
    noReader.SetType(ImageType(4.0));
    typed.SetType(ImageType(4.0));
    context.aFormulas = {nullptr};
    EXPECT_EQ(wxString::Format("%d %d %d", noReader.SetRenderContext(&context),
                               noType.SetRenderContext(&context), typed.SetRenderContext(&context)),
              "4 4 0");
    context.aParamCount = 2;
    EXPECT_ASSERTS(typed.SetRenderContext(&context),
                   "pContext->GetParamCount() == TZVMediaSourceRow::paramTOTAL");
}
