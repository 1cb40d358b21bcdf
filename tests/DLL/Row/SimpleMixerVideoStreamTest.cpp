#include "DLL/Row/SimpleMixerVideoStream.h"

#include "support/AssertCapture.h"
#include "support/FakeRenderContext.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace {

// Pixels as the bitmaps hold them (B, G, R, A in memory, premultiplied).
const uint32_t RED = 0xFFFF0000, GREEN = 0xFF00FF00, BLUE = 0xFF0000FF, HALF_RED = 0x80800000;

// A 4 x 2 frame over a green "Background colour" whose evaluations are logged, and sources
// the test adds, front first.
struct TMixer {
    TMixer() : background(TFakeValueFormula::Constant(double(0x00FF00))) {
        context.aParamCount = 4;
        context.aWidth = 4;
        context.aHeight = 2;
        context.aFormulas = {&background};
        background.aLog = &backLog;
    }
    // A source of pWidth x pHeight pixels, all pPixel, drawn at stamp 1.
    TFakeRenderContext& Add(int pWidth, int pHeight, uint32_t pPixel, bool pOpaque,
                            wxPoint pOffset = wxPoint(0, 0)) {
        sources.push_back(std::make_unique<TFakeVideoStream>());
        sources.back()->SetFrame(pWidth, pHeight, pPixel, pOffset);
        sources.back()->aNoAlpha = pOpaque;
        sources.back()->aChangeStamp = 1;
        return context.AddSource(sources.back().get());
    }
    // The next pass, Update skipped when told; true when the picture changed in it.
    bool Pass(bool pSkipUpdate = false) {
        context.NextPass();
        EXPECT_EQ(mixer.SetRenderContext(&context), 0);
        if (!pSkipUpdate)
            mixer.Update(&context);
        return !mixer.IsUnchanged(&context);
    }
    // Rows split by '/': R, G, B, K for opaque red, green, blue, black, else the pixel in hex.
    wxString Picture() const {
        const TBitmap& bitmap = *mixer.GetBitmapFormat();
        const uint32_t* pixels = static_cast<const uint32_t*>(bitmap.GetRawData());
        wxString text;
        for (int i = 0; i < bitmap.GetWidth() * bitmap.GetHeight(); ++i) {
            text << (i == 0 ? "" : i % bitmap.GetWidth() ? " " : "/");
            const uint32_t pixel = pixels[i];
            text << (pixel == RED          ? "R"
                     : pixel == GREEN      ? "G"
                     : pixel == BLUE       ? "B"
                     : pixel == 0xFF000000 ? "K"
                                           : wxString::Format("%08X", pixel));
        }
        return text;
    }

    TZVSimpleMixerVideoStream mixer;
    TFakeValueFormula background;
    wxString backLog;
    TFakeRenderContext context;
    std::vector<std::unique_ptr<TFakeVideoStream>> sources;
};

} // namespace

// First compositions: the picture, the background's evaluations, and the sources Update read.
TEST(SimpleMixerVideoStream, ComposesFrontToBackOverTheBackground) {
    const std::pair<std::function<void(TMixer&)>, wxString> cases[] = {
        {[](TMixer& m) { m.Add(2, 2, RED, true); }, "G R R G/G R R G; 0 ; 0"},
        {[](TMixer& m) { m.Add(2, 2, HALF_RED, false), m.Add(4, 2, BLUE, true); },
         "B FF80007F FF80007F B/B FF80007F FF80007F B; ; 0 1"},
        {[](TMixer& m) { m.Add(2, 2, HALF_RED, false); },
         "G FF807F00 FF807F00 G/G FF807F00 FF807F00 G; 0 ; 0"},
        {[](TMixer& m) {
             m.Add(7, 2, 0, true);
             uint32_t* pixels = static_cast<uint32_t*>(m.sources[0]->aBitmap.GetRawData());
             for (int i = 0; i < 14; ++i)
                 pixels[i] = 0xFF000000u + uint32_t(i % 7);
         },
         "FF000001 FF000002 FF000003 FF000004/FF000001 FF000002 FF000003 FF000004; ; 0"},
        {[](TMixer& m) { m.Add(4, 2, BLUE, true), m.Add(2, 2, RED, true); },
         "B B B B/B B B B; ; 0"},
        {[](TMixer& m) { m.Add(2, 2, RED, true, wxPoint(3, 0)); }, "G G G G/G G G G; 0 ; 0"},
        {[](TMixer& m) { m.Add(2, 2, RED, true, wxPoint(-2, 1)); }, "G G G G/R G G G; 0 ; 0"},
        {[](TMixer& m) { m.context.AddSource(nullptr), m.context.AddSource(nullptr); },
         "G G G G/G G G G; 0 ; 0 1"},
        {[](TMixer& m) { m.context.aFormulas = {nullptr}; }, "K K K K/K K K K; ; "},
    };
    for (const auto& c : cases) {
        TMixer m;
        c.first(m);
        m.Pass();
        wxString read;
        for (int i = 0; i < m.context.aSourceCount; ++i)
            if (m.context.aLog.Contains(wxString::Format("source %d 1 ", i)))
                read << (read.empty() ? "" : " ") << i;
        EXPECT_EQ(m.Picture() + "; " + m.backLog + "; " + read, c.second);
    }
}

// After a composed pass of red before the background (or before blue covering the frame),
// whether one change of the next pass asks a new composition.
TEST(SimpleMixerVideoStream, RecomposesOnlyWhenSomethingShownMayHaveChanged) {
    using TChange = std::function<void(TMixer&, TFakeRenderContext&)>;
    const TChange redrawFront = [](TMixer& m, TFakeRenderContext&) {
        m.sources[0]->aChangeStamp = m.context.aStamp + 1;
    };
    const TChange addSource = [](TMixer& m, TFakeRenderContext&) { m.Add(1, 1, RED, true); };
    const TChange newColour = [](TMixer& m, TFakeRenderContext&) {
        m.background = TFakeValueFormula::Constant(1.0);
    };
    const std::tuple<bool, TChange, bool> cases[] = {
        {false, [](TMixer&, TFakeRenderContext&) {}, false},
        {false, [](TMixer& m, TFakeRenderContext&) { m.context.aSourceCount = 0; }, true},
        {false, [](TMixer& m, TFakeRenderContext&) { m.context.aHidden = {0}; }, true},
        {false, redrawFront, true},
        {false, [](TMixer&, TFakeRenderContext& pFront) { pFront.aStream = nullptr; }, true},
        {false, addSource, true},
        {false, newColour, true},
        {true, addSource, false},
        {true, newColour, false},
        {true,
         [](TMixer& m, TFakeRenderContext&) { m.sources[1]->aChangeStamp = m.context.aStamp + 1; },
         true},
    };
    int index = 0;
    for (const auto& [blueBehind, change, changed] : cases) {
        TMixer m;
        TFakeRenderContext& front = m.Add(2, 2, RED, true);
        if (blueBehind)
            m.Add(4, 2, BLUE, true);
        EXPECT_TRUE(m.Pass());
        change(m, front);
        EXPECT_EQ(m.Pass(true), changed) << "case " << index++;
    }
}

// A host may skip Update, and a source may have no stream for a frame: the picture still
// follows its sources (blue covers the frame behind red, so no background shows).
TEST(SimpleMixerVideoStream, FollowsItsSourcesWhateverTheHostSkips) {
    TMixer m;
    TFakeRenderContext& front = m.Add(2, 2, RED, true);
    m.Add(4, 2, BLUE, true);
    wxString log;
    const auto pass = [&](bool pSkip) {
        log << m.Pass(pSkip) << ' ' << (pSkip ? "-" : m.Picture().BeforeFirst('/')) << "; ";
    };
    const auto redraw = [&](uint32_t pPixel) {
        m.sources[0]->SetFrame(2, 2, pPixel);
        m.sources[0]->aChangeStamp = m.context.aStamp + 1;
    };
    pass(false);
    front.aStream = nullptr;
    pass(false);
    front.aStream = m.sources[0].get();
    pass(false);
    pass(true);
    redraw(GREEN);
    pass(false);
    redraw(RED);
    pass(true);
    pass(false);
    static_cast<uint32_t*>(m.mixer.GetRawData())[0] = 0; // an unchanged pass draws nothing
    pass(false);
    EXPECT_EQ(
        log, "1 B R R B; 1 B B B B; 1 B R R B; 0 -; 1 B G G B; 1 -; 1 B R R B; 0 00000000 R R B; ");
}

// The host's memory is never resized: a frame of another size is reported. Misuse is
// reported too, and a wrong-kind source counts as absent.
TEST(SimpleMixerVideoStream, HostMemoryAndMisuse) {
    TMixer m;
    m.Add(2, 2, RED, true);
    std::vector<uint32_t> memory(8, 7);
    m.mixer.SetBitmapData(memory.data(), 4, 2);
    m.Pass();
    m.context.aWidth = 6;
    EXPECT_ASSERTS(m.Pass(), "(aBitmap.GetWidth() == aSize.x) && (aBitmap.GetHeight() == aSize.y)");
    EXPECT_EQ(m.mixer.GetRawData(), memory.data());
    EXPECT_EQ(m.Picture(), "G R R G/G R R G");

    TMixer owned;
    owned.Pass();
    EXPECT_ASSERTS(owned.mixer.SetBitmapData(memory.data(), 4, 2), "!aBitmap.IsOwned()");
    owned.context.aParamCount = 1;
    TFakeAudioStream audio;
    owned.context.AddSource(&audio);
    EXPECT_ASSERTS(owned.Pass(), "pContext->GetParamCount() == TZVMainVideoMixerRow::paramTOTAL",
                   "dynamic_cast<IZVVideoStream*>(pStream) returned NULL");
    EXPECT_EQ(owned.Picture(), "G G G G/G G G G");
}
