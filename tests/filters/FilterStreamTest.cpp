#include "GainFilterRow.h"
#include "GainFilterStream.h"
#include "OpacityFilterRow.h"
#include "OpacityFilterStream.h"

#include "support/FakeRenderContext.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// The picture of an "Opacity" stream over a 2 x 2 opaque red input at pOpacity percent,
// masked by pMask (when given, as source 1): the code and the pixels in hex.
wxString Opacity(double pOpacity, TFakeVideoStream* pMask = nullptr) {
    TFakeVideoStream input;
    input.SetFrame(2, 2, 0xFFFF0000);
    input.aNoAlpha = true;
    TFakeValueFormula opacity = TFakeValueFormula::Constant(pOpacity);
    TFakeRenderContext context;
    context.aFormulas = {&opacity};
    context.AddSource(&input);
    if (pMask)
        context.AddSource(pMask);
    TZVOpacityFilterStream stream;
    wxString text = wxString::Format("%d", stream.SetRenderContext(&context));
    stream.Update(&context);
    const uint32_t* pixels = static_cast<const uint32_t*>(stream.GetRawData());
    for (int i = 0; pixels && i < 4; ++i)
        text << wxString::Format(" %08X", pixels[i]);
    return text << (stream.HasNoAlpha() ? " opaque" : "");
}

} // namespace

// The input scaled by the opacity; an opaque mask over the whole input masks nothing; a
// half-transparent mask over the left column keeps half of it and clears the right one.
TEST(FilterStream, OpacityScalesAndMasks) {
    TFakeVideoStream covering, partial;
    covering.SetFrame(4, 4, 0xFF000000);
    covering.aNoAlpha = true;
    partial.SetFrame(1, 2, 0x80000000);
    EXPECT_EQ(Opacity(100.0), "0 FFFF0000 FFFF0000 FFFF0000 FFFF0000 opaque");
    EXPECT_EQ(Opacity(50.0), "0 7F7F0000 7F7F0000 7F7F0000 7F7F0000");
    EXPECT_EQ(Opacity(100.0, &covering), "0 FFFF0000 FFFF0000 FFFF0000 FFFF0000 opaque");
    EXPECT_EQ(Opacity(100.0, &partial), "0 80800000 00000000 80800000 00000000");
    TFakeRenderContext noInput;
    EXPECT_EQ(TZVOpacityFilterStream().SetRenderContext(&noInput), 4);
}

// The input under the gain in decibels, rounded and clamped; no input is silence. The rows'
// SetDefault make their streams.
TEST(FilterStream, GainScalesTheInput) {
    TFakeAudioStream input;
    const int16_t samples[] = {201, -201, 32767, 3};
    input.AllocateBuffer(4, false);
    std::memcpy(input.aBuffer, samples, sizeof samples);
    TFakeValueFormula gain = TFakeValueFormula::Constant(-6.0206);
    TFakeRenderContext context;
    context.aFormulas = {&gain};
    context.aFrameSampleCount = context.aSampleCount = 4;
    context.AddSource(&input);
    TZVGainFilterStream stream;
    ASSERT_EQ(stream.SetRenderContext(&context), 0);
    stream.Update(&context);
    const int16_t* out = stream.GetAudioData();
    EXPECT_EQ(std::vector<int>(out, out + 4), (std::vector<int>{101, -101, 16384, 2}));
    TFakeRenderContext noInput;
    EXPECT_EQ(stream.SetRenderContext(&noInput), 2);

    TZVOpacityFilterRow opacityRow;
    TZVGainFilterRow gainRow;
    opacityRow.SetDefault();
    gainRow.SetDefault();
    EXPECT_NE(dynamic_cast<TZVOpacityFilterStream*>(opacityRow.aRenderStream), nullptr);
    EXPECT_NE(dynamic_cast<TZVGainFilterStream*>(gainRow.aRenderStream), nullptr);
}
