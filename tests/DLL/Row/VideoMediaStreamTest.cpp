#include "DLL/Row/VideoMediaStream.h"

#include "ALL/TypeDef.h"
#include "support/AssertCapture.h"
#include "support/FakeRenderContext.h"

#include "REDarodo/Media.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

// A reader of pCount images of 3 x 2 pixels, image n filled with the pixel value n + 1; it
// logs the images asked.
class TFakeReader : public IReaderVideo {
public:
    TFakeReader(long pCount, wxString& pLog) : aImages(pCount), aLog(pLog) {
        for (long n = 0; n < pCount; ++n) {
            aImages[n].aPixels.assign(6, uint32_t(n + 1));
            aImages[n].aBitmap = TBitmap(aImages[n].aPixels.data(), 3, 2);
        }
    }
    const TBitmap& GetImage(long pImage) override {
        aLog << "image " << pImage << "; ";
        return aImages[pImage].aBitmap;
    }
    TImageFormat GetFormat() const override { return {3, 2}; }
    bool HasAlpha() const override { return true; }
    long GetImageCount() const override { return long(aImages.size()); }

    struct TImage {
        std::vector<uint32_t> aPixels;
        TBitmap aBitmap;
    };
    std::vector<TImage> aImages;
    wxString& aLog;
};

// "Image" as the media row types it: whole numbers from 0 to the image count.
TTypeDef ImageType(double pMax) {
    TTypeDef type(paramTypeINTEGER);
    type.aRangeCheck = true;
    type.aDefault = 0.0;
    type.aMin = 0.0;
    type.aMax = pMax;
    return type;
}

// A stream over 4 images whose "Image" the test sets; each pass is rendered at the next stamp.
struct TMediaSetup {
    explicit TMediaSetup(const TTypeDef& pType = ImageType(4.0))
        : reader(new TFakeReader(4, log)), stream(reader),
          image(TFakeValueFormula::Constant(0.0)) {
        stream.SetType(pType);
        context.aParamCount = 1;
        context.aFormulas = {&image};
    }
    // One pass with "Image" at pValue: the code, the stamp of the last change, and what
    // Update showed (first pixel), e.g. "0 @2 px3".
    wxString Pass(const TVariant& pValue) {
        image = TFakeValueFormula::Constant(pValue);
        context.NextPass();
        const int code = stream.SetRenderContext(&context);
        wxString text = wxString::Format("%d @%u", code, StampOfLastChange());
        if (code == 0) {
            stream.Update(&context);
            const TBitmap* bitmap = stream.GetBitmapFormat();
            text << wxString::Format(" px%u", *static_cast<uint32_t*>(bitmap->GetRawData()));
        }
        return text;
    }
    // The stamp at which the image last changed, found through UnchangedSince.
    unsigned StampOfLastChange() const {
        for (unsigned stamp = 0; stamp <= context.aStamp; ++stamp)
            if (stream.UnchangedSince(stamp))
                return stamp;
        return 0;
    }

    wxString log;
    TFakeReader* reader; // owned by the stream
    TZVVideoMediaStream stream;
    TFakeValueFormula image;
    TFakeRenderContext context;
};

const double NaN = std::numeric_limits<double>::quiet_NaN();

} // namespace

// Each row is one pass after the last: the image is the constrained value rounded halves away
// from zero, the change stamp moves only when the image changes, and after a frame without a
// picture the next image counts as changed even when it is the old one.
TEST(VideoMediaStream, ImageChoiceAndChangeStamps) {
    TMediaSetup setup;
    struct {
        TVariant aImage;
        wxString aResult;
    } const passes[] = {
        {1.0, "0 @2 px2"},
        {1.4, "0 @2 px2"},            // the same image: unchanged
        {2.5, "0 @4 px4"},            // halves away from zero
        {TVariant(), "0 @5 px1"},     // undefined: the type's default, image 0
        {-7.0, "0 @5 px1"},           // limited to 0
        {4.0, "4 @5"},                // the image count: past the end
        {0.0, "0 @8 px1"},            // image 0 again, but after a 4: a change
        {TVariant(wxString("3")), "4 @8"}, // a text
        {0.0, "0 @10 px1"},
    };
    for (const auto& pass : passes)
        EXPECT_EQ(setup.Pass(pass.aImage), pass.aResult) << pass.aImage.GetImage();
    EXPECT_EQ(setup.log, "image 1; image 1; image 3; image 0; image 0; image 0; image 0; ");
}

// Without the media row's range the values reach the image test as they are: far out, below
// 0 and not a number all answer 4.
TEST(VideoMediaStream, ValuesOutsideTheMediumAnswerNoPicture) {
    TMediaSetup setup{TTypeDef(paramTypeINTEGER)};
    wxString results;
    for (double value : {1e20, -1e20, -1.0, -0.6, -0.4, 3.4, 3.5, NaN})
        results << setup.Pass(value).BeforeFirst(' ') << ' ';
    EXPECT_EQ(results, "4 4 4 4 0 0 4 4 ");
}

// The picture is the reader's own memory: nothing copied, nothing owned; the size and alpha
// are the reader's.
TEST(VideoMediaStream, ShowsTheReadersImage) {
    TMediaSetup setup;
    setup.Pass(2.0);
    EXPECT_EQ(setup.stream.GetRawData(), setup.reader->aImages[2].aPixels.data());
    EXPECT_FALSE(static_cast<const TAllocBitmap*>(setup.stream.GetBitmapFormat())->IsOwned());
    EXPECT_EQ(setup.stream.GetSize(), wxPoint(3, 2));
    EXPECT_FALSE(setup.stream.HasNoAlpha());
    EXPECT_EQ(setup.stream.GetOffset(), wxPoint(0, 0));
}

// A stream without reader, without type, or with the host giving no value source (a keyed
// parameter in a gap): no picture for the first two, the type's default for the last.
TEST(VideoMediaStream, MissingPiecesAnswerSafely) {
    TFakeRenderContext context;
    context.aParamCount = 1;
    TZVVideoMediaStream noReader(nullptr);
    noReader.SetType(ImageType(4.0));
    wxString log;
    TZVVideoMediaStream noType(new TFakeReader(4, log));
    TMediaSetup nullFormula;
    nullFormula.context.aFormulas = {nullptr};
    TMediaSetup noFormulas;
    noFormulas.context.aFormulas.clear();
    EXPECT_EQ(wxString::Format("%d %d %s %s", noReader.SetRenderContext(&context),
                               noType.SetRenderContext(&context),
                               nullFormula.Pass(3.0), noFormulas.Pass(3.0)),
              "4 4 0 @2 px1 0 @2 px1");
    EXPECT_EQ(noReader.GetSize(), wxPoint(0, 0));
}

TEST(VideoMediaStream, ReportsAWrongParameterCount) {
    TMediaSetup setup;
    setup.context.aParamCount = 2;
    EXPECT_ASSERTS(EXPECT_EQ(setup.Pass(1.0), "0 @2 px2"),
                   "pContext->GetParamCount() == TZVMediaSourceRow::paramTOTAL");
}
