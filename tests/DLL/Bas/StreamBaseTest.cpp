#include "DLL/Bas/StreamBase.h"

#include "DLL/Bas/FakeRenderContext.h"
#include "support/AssertCapture.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

namespace {

typedef TFakeRenderContext::TSourceCall TCall;
typedef std::vector<wxString> TReports;

const char* const BAD_CAST = "dynamic_cast<IZVVideoStream*>(pStream) returned NULL";

uint32_t Pixel(uint8_t pB, uint8_t pG, uint8_t pR, uint8_t pA) {
    const uint8_t bytes[4] = {pB, pG, pR, pA};
    uint32_t pixel;
    std::memcpy(&pixel, bytes, 4);
    return pixel;
}

std::vector<uint32_t> Pixels(const TBitmap& pBitmap) {
    const uint32_t* data = static_cast<const uint32_t*>(pBitmap.GetRawData());
    return std::vector<uint32_t>(data, data + pBitmap.GetWidth() * pBitmap.GetHeight());
}

// A filter with two sources, input and mask; the mask's sub-context holds the mask stream.
struct TMaskSetup {
    TMaskSetup() {
        context.aSourceCount = 2;
        context.aSources[1] = &maskContext;
        maskContext.aStream = &mask;
    }
    TFakeRenderContext context, maskContext;
    TFakeVideoStream filter, input, mask;
    TFakeAudioStream audio;
};

} // namespace

TEST(StreamBase, ChangeStampTellsWhetherTheImageChanged) {
    TFakeVideoStream stream;
    TFakeRenderContext context;
    struct TCase {
        uint32_t aChangeStamp, aAsked;
        bool aSince;
    } cases[] = {{0, 0, false}, {0, UINT_MAX, false}, {5, 4, false}, {5, 5, true}, {5, 6, true}};
    for (const TCase& c : cases) {
        stream.aChangeStamp = c.aChangeStamp;
        context.aStamp = c.aAsked;
        EXPECT_EQ(stream.UnchangedSince(c.aAsked), c.aSince) << c.aChangeStamp << " " << c.aAsked;
        EXPECT_EQ(stream.IsUnchanged(&context), c.aChangeStamp != c.aAsked);
    }
    bool unchanged = true;
    EXPECT_ASSERTS(unchanged = stream.IsUnchanged(nullptr), "pContext != __null");
    EXPECT_FALSE(unchanged);
}

TEST(StreamBase, AStreamWithoutSizeHandlesReportsTheirUse) {
    TFakeVideoStream stream;
    EXPECT_ASSERTS(stream.FillSizeHandle(nullptr, nullptr), "false");
    // The record is only passed through; its fields belong to the size handles.
    alignas(16) unsigned char record[64] = {};
    TParamUpdate* update = reinterpret_cast<TParamUpdate*>(record);
    EXPECT_ASSERTS(
        update = stream.ComputeUpdate(*reinterpret_cast<IZVVideoStream::TUpdateData*>(record)),
        "false");
    EXPECT_EQ(update, nullptr);
}

TEST(StreamBase, TheVideoBaseShowsItsBitmapAndAFilterTakesItsInputsFrame) {
    TFakeVideoStream input, filter;
    input.SetFrame(3, 2, Pixel(1, 2, 3, 255), wxPoint(-4, 7));
    EXPECT_EQ(input.GetBitmapFormat(), &input.aBitmap);
    EXPECT_EQ(input.GetRawData(), input.aBitmap.GetRawData());
    EXPECT_TRUE(input.aBitmap.IsOwned()); // freed with the stream (the leak check sees it)
    filter.SizeAsStream(&input);
    EXPECT_EQ(filter.GetSize(), wxPoint(3, 2));
    EXPECT_EQ(filter.GetOffset(), wxPoint(-4, 7));
    EXPECT_ASSERTS(filter.SizeAsStream(nullptr), "pOther != __null");
}

TEST(StreamBase, TestMaskWithoutAMaskVideoStreamNeedsNoMask) {
    struct TCase {
        const char* aName;
        int aSourceCount;
        bool aHasContext, aAudio;
        TReports aReports;
        std::vector<TCall> aCalls;
    } cases[] = {
        {"single source", 1, true, false, {}, {}},
        {"no source", 0, true, false, {}, {}},
        {"no mask context", 2, false, false, {}, {{1, 0, 0, 0.0}}},
        {"audio mask stream", 2, true, true, {BAD_CAST}, {{1, 0, 0, 0.0}}},
    };
    for (const TCase& c : cases) {
        TMaskSetup s;
        s.context.aSourceCount = c.aSourceCount;
        if (!c.aHasContext)
            s.context.aSources.clear();
        if (c.aAudio)
            s.maskContext.aStream = &s.audio;
        s.filter.aHasMask = true;
        bool unchanged = true, result = false;
        TAssertCapture capture;
        result = s.filter.TestMask(&s.context, &s.input, unchanged);
        EXPECT_EQ(capture.Conditions(), c.aReports) << c.aName;
        EXPECT_TRUE(result) << c.aName;
        EXPECT_FALSE(s.filter.aHasMask) << c.aName;
        EXPECT_FALSE(unchanged) << c.aName;
        EXPECT_EQ(s.context.aSourceCalls, c.aCalls) << c.aName;
    }
}

// An opaque mask at least as large as the input, whose centre is off by at most half the
// difference on each axis, covers the input: no masking, and aHasMask stays as it was.
TEST(StreamBase, TestMaskWithAnOpaqueMaskOverTheWholeInputNeedsNoMask) {
    struct TCase {
        int aMaskW, aMaskH;
        wxPoint aMaskOffset;
        wxPoint aInputOffset; // input 6 x 4
        bool aCovers;
    } cases[] = {
        {6, 4, {0, 0}, {0, 0}, true},
        {10, 8, {1, -1}, {3, 1}, true}, // dx 2, dy 2
        {10, 8, {0, 0}, {3, 0}, false},
        {10, 8, {0, 0}, {0, -3}, false},
        {5, 4, {0, 0}, {0, 0}, false},
        {6, 3, {0, 0}, {0, 0}, false},
        {9, 4, {0, 0}, {1, 0}, true},
        {9, 4, {0, 0}, {2, 0}, false}, // 2 x 2 > dw 3
        {6, 4, {INT_MIN, 0}, {INT_MAX, 0}, false},
    };
    for (const TCase& c : cases) {
        for (bool before : {false, true}) {
            TMaskSetup s;
            s.mask.SetFrame(c.aMaskW, c.aMaskH, Pixel(0, 0, 0, 255), c.aMaskOffset);
            s.mask.aNoAlpha = true;
            s.input.SetFrame(6, 4, 0, c.aInputOffset);
            s.filter.aHasMask = before;
            bool unchanged = true;
            EXPECT_EQ(s.filter.TestMask(&s.context, &s.input, unchanged), !c.aCovers)
                << c.aMaskW << "x" << c.aMaskH << " at " << c.aInputOffset.x;
            EXPECT_EQ(s.filter.aHasMask, c.aCovers ? before : true);
            EXPECT_FALSE(unchanged);
        }
    }
}

TEST(StreamBase, TestMaskWithAPartialMaskMasksAndTellsWhetherTheMaskChanged) {
    struct TCase {
        const char* aName;
        bool aNoAlpha, aShown;
        uint32_t aMaskStamp; // the filter's is 5
        bool aUnchanged;
    } cases[] = {
        {"alpha, unchanged", false, true, 5, true},
        {"alpha, changed later", false, true, 6, false},
        {"alpha, never drawn", false, true, 0, false},
        {"alpha, hidden", false, false, 5, false},
        {"opaque but smaller", true, true, 4, true},
    };
    for (const TCase& c : cases) {
        TMaskSetup s;
        s.mask.SetFrame(c.aNoAlpha ? 2 : 8, 8, Pixel(0, 0, 0, 255));
        s.mask.aNoAlpha = c.aNoAlpha;
        s.mask.aChangeStamp = c.aMaskStamp;
        s.input.SetFrame(4, 4, 0);
        s.filter.aChangeStamp = 5;
        if (!c.aShown)
            s.context.aHidden.insert(1);
        bool unchanged = !c.aUnchanged;
        EXPECT_TRUE(s.filter.TestMask(&s.context, &s.input, unchanged)) << c.aName;
        EXPECT_TRUE(s.filter.aHasMask) << c.aName;
        EXPECT_EQ(unchanged, c.aUnchanged) << c.aName;
        EXPECT_EQ(s.context.aShownAsked, std::vector<int>{1}) << c.aName;
    }
    // Without an input an opaque mask cannot be shown to cover it: the frame is masked.
    TMaskSetup s;
    s.mask.SetFrame(4, 4, Pixel(0, 0, 0, 255));
    s.mask.aNoAlpha = true;
    bool unchanged = true, result = false;
    EXPECT_ASSERTS(result = s.filter.TestMask(&s.context, nullptr, unchanged), "pInput != __null");
    EXPECT_TRUE(result && s.filter.aHasMask);
    EXPECT_ASSERTS(result = s.filter.TestMask(nullptr, &s.input, unchanged), "pContext != __null");
    EXPECT_TRUE(result && !s.filter.aHasMask);
}

// The mask lies at its offset relative to the filter's: filter at (1, 2) and mask at (2, 2)
// put the mask's first column over the filter's second.
TEST(StreamBase, ApplyMaskScalesTheImageByTheMaskAtItsOffset) {
    TMaskSetup s;
    s.filter.SetFrame(3, 2, Pixel(9, 9, 9, 9), wxPoint(1, 2));
    s.filter.aHasMask = true;
    s.input.SetFrame(3, 2, Pixel(200, 100, 50, 255));
    s.mask.SetFrame(2, 1, Pixel(0, 0, 0, 128), wxPoint(2, 2));
    s.filter.ApplyMask(&s.context, s.input.aBitmap);
    const uint32_t half = Pixel(100, 50, 25, 128);
    EXPECT_EQ(Pixels(s.filter.aBitmap), (std::vector<uint32_t>{0, half, half, 0, 0, 0}));
    EXPECT_EQ(s.context.aSourceCalls, (std::vector<TCall>{{1, 1, 0, 0.0}}));
}

TEST(StreamBase, ApplyMaskWithoutAMaskLeavesTheBitmapAlone) {
    struct TCase {
        const char* aName;
        bool aHasMask, aHasContext, aAudio;
        TReports aReports;
    } cases[] = {
        {"no mask wanted", false, true, false, {"aHasMask"}},
        {"no mask context", true, false, false, {}},
        {"audio mask stream", true, true, true, {BAD_CAST}},
    };
    for (const TCase& c : cases) {
        TMaskSetup s;
        s.filter.SetFrame(2, 2, Pixel(9, 9, 9, 9));
        s.filter.aHasMask = c.aHasMask;
        s.input.SetFrame(2, 2, Pixel(200, 100, 50, 255));
        s.mask.SetFrame(2, 2, 0);
        if (!c.aHasContext)
            s.context.aSources.clear();
        if (c.aAudio)
            s.maskContext.aStream = &s.audio;
        TAssertCapture capture;
        s.filter.ApplyMask(&s.context, s.input.aBitmap);
        EXPECT_EQ(capture.Conditions(), c.aReports) << c.aName;
        EXPECT_EQ(Pixels(s.filter.aBitmap), std::vector<uint32_t>(4, Pixel(9, 9, 9, 9))) << c.aName;
        EXPECT_EQ(s.context.aSourceCalls, (std::vector<TCall>{{1, 1, 0, 0.0}})) << c.aName;
    }
    TMaskSetup s;
    s.filter.aHasMask = true;
    EXPECT_ASSERTS(s.filter.ApplyMask(nullptr, s.input.aBitmap), "pContext != __null");
}
