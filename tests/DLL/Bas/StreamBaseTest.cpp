#include "DLL/Bas/StreamBase.h"

#include "support/AssertCapture.h"
#include "support/FakeRenderContext.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

namespace {

uint32_t Pixel(uint8_t pB, uint8_t pG, uint8_t pR, uint8_t pA) {
    const uint8_t bytes[4] = {pB, pG, pR, pA};
    uint32_t pixel;
    std::memcpy(&pixel, bytes, 4);
    return pixel;
}

const uint32_t MARK = Pixel(9, 9, 9, 9);
const wxString BAD_CAST = "[dynamic_cast<IZVVideoStream*>(pStream) returned NULL] ";

std::vector<uint32_t> Pixels(const TBitmap& pBitmap) {
    const uint32_t* data = static_cast<const uint32_t*>(pBitmap.GetRawData());
    return std::vector<uint32_t>(data, data + pBitmap.GetWidth() * pBitmap.GetHeight());
}

// A filter with two sources: a 6 x 4 input at pInputAt, and a mask of pWidth x pHeight pixels
// of alpha pAlpha (without alpha channel when 255) at pMaskAt, held by the mask source's
// context.
struct TMaskSetup {
    explicit TMaskSetup(int pWidth = 2, int pHeight = 2, uint8_t pAlpha = 255,
                        wxPoint pMaskAt = {0, 0}, wxPoint pInputAt = {0, 0}) {
        context.aSourceCount = 2;
        context.aSource = &maskContext;
        maskContext.aStream = &mask;
        mask.SetFrame(pWidth, pHeight, Pixel(0, 0, 0, pAlpha), pMaskAt);
        mask.aNoAlpha = pAlpha == 255;
        input.SetFrame(6, 4, Pixel(200, 100, 50, 255), pInputAt);
    }

    // TestMask's answer, aHasMask (pHasMask before), the mask-unchanged flag, the reports and
    // the context's log, in one line.
    wxString TestMask(bool pHasMask = false) {
        filter.aHasMask = pHasMask;
        bool unchanged = true;
        TAssertCapture capture;
        const bool result = filter.TestMask(&context, &input, unchanged);
        return wxString::Format("%d %d %d ", result, filter.aHasMask, unchanged) +
               Reports(capture) + context.aLog;
    }
    // ApplyMask of the input's frame: the reports and the context's log.
    wxString ApplyMask() {
        TAssertCapture capture;
        filter.ApplyMask(&context, input.aBitmap);
        return Reports(capture) + context.aLog;
    }
    static wxString Reports(const TAssertCapture& pCapture) {
        wxString text;
        for (const wxString& report : pCapture.Conditions())
            text << '[' << report << "] ";
        return text;
    }

    TFakeRenderContext context, maskContext;
    TFakeVideoStream filter, input, mask;
    TFakeAudioStream audio;
};

} // namespace

// A stream drawn at stamp 5 is unchanged since 5 and later; one never drawn (0) never is.
// IsUnchanged holds when the context's stamp differs from the stream's.
TEST(StreamBase, ChangeStampsAndSizeHandles) {
    TFakeVideoStream stream;
    TFakeRenderContext context;
    stream.aChangeStamp = 5;
    EXPECT_EQ(wxString::Format("%d %d %d", stream.UnchangedSince(4), stream.UnchangedSince(5),
                               stream.UnchangedSince(6)),
              "0 1 1");
    context.aStamp = 6;
    EXPECT_TRUE(stream.IsUnchanged(&context));
    context.aStamp = 5;
    EXPECT_FALSE(stream.IsUnchanged(&context));
    stream.aChangeStamp = 0;
    EXPECT_FALSE(stream.UnchangedSince(UINT_MAX));
    bool unchanged = true;
    EXPECT_ASSERTS(unchanged = stream.IsUnchanged(nullptr), "pContext != __null");
    EXPECT_FALSE(unchanged);
    // A stream without size handles reports their use; the record is only passed through.
    EXPECT_ASSERTS(stream.FillSizeHandle(nullptr, nullptr), "false");
    alignas(16) unsigned char record[64] = {};
    const auto& data = *reinterpret_cast<IZVVideoStream::TUpdateData*>(record);
    EXPECT_ASSERTS(EXPECT_EQ(stream.ComputeUpdate(data), nullptr), "false");
}

TEST(StreamBase, TheVideoBaseShowsItsBitmapAndAFilterTakesItsInputsFrame) {
    TFakeVideoStream input, filter;
    input.SetFrame(3, 2, MARK, wxPoint(-4, 7));
    filter.SizeAsStream(&input);
    EXPECT_EQ(filter.GetSize(), wxPoint(3, 2));
    EXPECT_EQ(filter.GetOffset(), wxPoint(-4, 7));
    EXPECT_ASSERTS(filter.SizeAsStream(nullptr), "pOther != __null");
}

// A missing mask context or a mask stream that is not video used to be dereferenced; now
// there is no mask to apply.
TEST(StreamBase, TestMaskWithoutAMaskVideoStreamNeedsNoMask) {
    TMaskSetup single, noContext, audio, none;
    single.context.aSourceCount = 1;
    EXPECT_EQ(single.TestMask(true), "1 0 0 ");
    noContext.context.aSource = nullptr;
    EXPECT_EQ(noContext.TestMask(true), "1 0 0 source 1 0 0 0; ");
    audio.maskContext.aStream = &audio.audio;
    EXPECT_EQ(audio.TestMask(true), "1 0 0 " + BAD_CAST + "source 1 0 0 0; ");
    bool unchanged = true, result = false;
    none.filter.aHasMask = true;
    EXPECT_ASSERTS(result = none.filter.TestMask(nullptr, &none.input, unchanged),
                   "pContext != __null");
    EXPECT_TRUE(result);
    EXPECT_FALSE(none.filter.aHasMask);
    EXPECT_FALSE(unchanged);
}

// An opaque mask at least as large as the 6 x 4 input, whose offset differs from the input's
// by at most half the size difference on each axis, covers it: no masking, and aHasMask stays
// as it was.
TEST(StreamBase, TestMaskWithAnOpaqueMaskOverTheWholeInputNeedsNoMask) {
    const wxString masked = "1 1 0 source 1 0 0 0; shown 1; ";
    for (bool before : {false, true}) {
        const wxString covered = wxString::Format("0 %d 0 source 1 0 0 0; ", before);
        EXPECT_EQ(TMaskSetup(10, 8, 255, {1, -1}, {3, 1}).TestMask(before), covered);
        EXPECT_EQ(TMaskSetup(9, 4, 255, {0, 0}, {1, 0}).TestMask(before), covered);
        EXPECT_EQ(TMaskSetup(9, 4, 255, {0, 0}, {2, 0}).TestMask(before), masked);
        EXPECT_EQ(TMaskSetup(10, 8, 255, {0, 0}, {0, -3}).TestMask(before), masked);
        EXPECT_EQ(TMaskSetup(5, 4).TestMask(before), masked);
        EXPECT_EQ(TMaskSetup(6, 3).TestMask(before), masked);
        EXPECT_EQ(TMaskSetup(6, 4, 255, {INT_MIN, 0}, {INT_MAX, 0}).TestMask(before), masked);
    }
}

// The mask is unchanged when it is shown and drawn no later than the filter (both at 5).
TEST(StreamBase, TestMaskWithAPartialMaskMasksAndTellsWhetherTheMaskChanged) {
    TMaskSetup shown(8, 8, 128), hidden(8, 8, 128), smaller(5, 4);
    for (TMaskSetup* s : {&shown, &hidden, &smaller})
        s->filter.aChangeStamp = s->mask.aChangeStamp = 5;
    hidden.context.aShown = false;
    const wxString masked = "1 1 %d source 1 0 0 0; shown 1; ";
    EXPECT_EQ(shown.TestMask(), wxString::Format(masked, 1));
    EXPECT_EQ(hidden.TestMask(), wxString::Format(masked, 0));
    EXPECT_EQ(smaller.TestMask(), wxString::Format(masked, 1)); // opaque, but not covering
    // Without an input an opaque mask cannot be shown to cover it: the frame is masked.
    TMaskSetup s(6, 4);
    bool unchanged = true, result = false;
    EXPECT_ASSERTS(result = s.filter.TestMask(&s.context, nullptr, unchanged), "pInput != __null");
    EXPECT_TRUE(result);
    EXPECT_TRUE(s.filter.aHasMask);
}

// The mask lies at its offset relative to the filter's: filter at (1, 2) and mask at (2, 2)
// put the mask's first column over the filter's second.
TEST(StreamBase, ApplyMaskScalesTheImageByTheMaskAtItsOffset) {
    TMaskSetup s(2, 1, 128, {2, 2});
    s.filter.SetFrame(3, 2, MARK, wxPoint(1, 2));
    s.filter.aHasMask = true;
    EXPECT_EQ(s.ApplyMask(), "source 1 1 0 0; ");
    const uint32_t half = Pixel(100, 50, 25, 128);
    EXPECT_EQ(Pixels(s.filter.aBitmap), (std::vector<uint32_t>{0, half, half, 0, 0, 0}));
}

TEST(StreamBase, ApplyMaskWithoutAMaskLeavesTheBitmapAlone) {
    TMaskSetup unwanted, noContext, audio, none;
    noContext.filter.aHasMask = audio.filter.aHasMask = none.filter.aHasMask = true;
    noContext.context.aSource = nullptr;
    audio.maskContext.aStream = &audio.audio;
    for (TMaskSetup* s : {&unwanted, &noContext, &audio})
        s->filter.SetFrame(2, 2, MARK);
    EXPECT_EQ(unwanted.ApplyMask(), "[aHasMask] source 1 1 0 0; ");
    EXPECT_EQ(noContext.ApplyMask(), "source 1 1 0 0; ");
    EXPECT_EQ(audio.ApplyMask(), BAD_CAST + "source 1 1 0 0; ");
    for (TMaskSetup* s : {&unwanted, &noContext, &audio})
        EXPECT_EQ(Pixels(s->filter.aBitmap), std::vector<uint32_t>(4, MARK));
    EXPECT_ASSERTS(none.filter.ApplyMask(nullptr, none.input.aBitmap), "pContext != __null");
}
