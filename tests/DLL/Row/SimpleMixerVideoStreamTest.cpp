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
const double GREEN_COLOUR = 0x00FF00;

// A 4 x 2 frame over "Background colour" (logged), with sources the test adds, front first.
struct TMixer {
    TMixer() : background(TFakeValueFormula::Constant(GREEN_COLOUR)) {
        context.aParamCount = 4;
        context.aWidth = 4;
        context.aHeight = 2;
        context.aFormulas = {&background};
        background.aLog = &backLog;
    }
    // Adds a source of pWidth x pHeight pixels, all pPixel, opaque when pOpaque, drawn at
    // stamp 1; its context is returned.
    TFakeRenderContext& Add(int pWidth, int pHeight, uint32_t pPixel, bool pOpaque,
                            wxPoint pOffset = wxPoint(0, 0)) {
        sources.push_back(std::make_unique<TFakeVideoStream>());
        TFakeVideoStream& source = *sources.back();
        source.SetFrame(pWidth, pHeight, pPixel, pOffset);
        source.aNoAlpha = pOpaque;
        source.aChangeStamp = 1;
        return context.AddSource(&source);
    }
    // The next pass: SetRenderContext, then Update unless pSkipUpdate. True when the picture
    // changed in this pass.
    bool Pass(bool pSkipUpdate = false) {
        context.NextPass();
        EXPECT_EQ(mixer.SetRenderContext(&context), 0);
        if (!pSkipUpdate)
            mixer.Update(&context);
        return !mixer.IsUnchanged(&context);
    }
    // The picture, rows split by '/': R, G, B and K for opaque red, green, blue and black,
    // '.' for transparent, the pixel in hex otherwise.
    wxString Picture() const {
        const TBitmap& bitmap = *mixer.GetBitmapFormat();
        const uint32_t* pixels = static_cast<const uint32_t*>(bitmap.GetRawData());
        wxString text;
        for (int i = 0; pixels && i < bitmap.GetWidth() * bitmap.GetHeight(); ++i) {
            if (i > 0)
                text << (i % bitmap.GetWidth() ? " " : "/");
            text << Cell(pixels[i]);
        }
        return text;
    }
    static wxString Cell(uint32_t pPixel) {
        switch (pPixel) {
        case RED: return "R";
        case GREEN: return "G";
        case BLUE: return "B";
        case 0xFF000000: return "K";
        case 0: return ".";
        default: return wxString::Format("%08X", pPixel);
        }
    }

    TZVSimpleMixerVideoStream mixer;
    TFakeValueFormula background;
    wxString backLog;
    TFakeRenderContext context;
    std::vector<std::unique_ptr<TFakeVideoStream>> sources;
};

// Fills the source's columns with opaque pixels 0xFF000000 + the column.
void NumberColumns(TFakeVideoStream& pSource) {
    uint32_t* pixels = static_cast<uint32_t*>(pSource.aBitmap.GetRawData());
    for (int i = 0; i < pSource.aBitmap.GetWidth() * pSource.aBitmap.GetHeight(); ++i)
        pixels[i] = 0xFF000000u + uint32_t(i % pSource.aBitmap.GetWidth());
}

} // namespace

// The first composition of each arrangement: the picture, whether the background was
// evaluated, and which sources Update read.
TEST(SimpleMixerVideoStream, ComposesFrontToBackOverTheBackground) {
    struct {
        const char* aName;
        std::function<void(TMixer&)> aSetup;
        wxString aResult;
    } const cases[] = {
        {"red before blue",
         [](TMixer& m) {
             m.Add(2, 2, RED, true);
             m.Add(4, 2, BLUE, true);
         },
         "B R R B/B R R B; back: ; read 0 1"},
        {"red alone", [](TMixer& m) { m.Add(2, 2, RED, true); },
         "G R R G/G R R G; back: 0 ; read 0"},
        {"half red over blue",
         [](TMixer& m) {
             m.Add(2, 2, HALF_RED, false);
             m.Add(4, 2, BLUE, true);
         },
         "B FF80007F FF80007F B/B FF80007F FF80007F B; back: ; read 0 1"},
        {"half red over the background", [](TMixer& m) { m.Add(2, 2, HALF_RED, false); },
         "G FF807F00 FF807F00 G/G FF807F00 FF807F00 G; back: 0 ; read 0"},
        {"seven wide, centred at -1",
         [](TMixer& m) {
             m.Add(7, 2, 0, true);
             NumberColumns(*m.sources.back());
         },
         "FF000001 FF000002 FF000003 FF000004/FF000001 FF000002 FF000003 FF000004; back: ; "
         "read 0"},
        {"covering source hides those behind",
         [](TMixer& m) {
             m.Add(4, 2, BLUE, true);
             m.Add(2, 2, RED, true);
         },
         "B B B B/B B B B; back: ; read 0"},
        {"offset out of the frame", [](TMixer& m) { m.Add(2, 2, RED, true, wxPoint(3, 0)); },
         "G G G G/G G G G; back: 0 ; read 0"},
        {"offset half out",
         [](TMixer& m) { m.Add(2, 2, RED, true, wxPoint(-2, 1)); },
         "G G G G/R G G G; back: 0 ; read 0"},
        {"no source", [](TMixer&) {}, "G G G G/G G G G; back: 0 ; read"},
        {"sources without stream",
         [](TMixer& m) {
             m.context.AddSource(nullptr);
             m.context.AddSource(nullptr);
         },
         "G G G G/G G G G; back: 0 ; read 0 1"},
        {"black background",
         [](TMixer& m) { m.background = TFakeValueFormula::Constant(0.0); },
         "K K K K/K K K K; back: ; read"},
        {"undefined background",
         [](TMixer& m) { m.context.aFormulas = {nullptr}; },
         "K K K K/K K K K; back: ; read"},
    };
    for (const auto& c : cases) {
        TMixer m;
        c.aSetup(m);
        m.Pass();
        wxString read = "read";
        for (int i = 0; i < m.context.aSourceCount; ++i)
            if (m.context.aLog.Contains(wxString::Format("source %d 1 ", i)))
                read << ' ' << i;
        EXPECT_EQ(m.Picture() + "; back: " + m.backLog + "; " + read, c.aResult) << c.aName;
    }
}

// After a composed pass with red in front of the background, each change of the next pass
// either asks a new composition or not.
TEST(SimpleMixerVideoStream, RecomposesOnlyWhenSomethingShownMayHaveChanged) {
    struct {
        const char* aName;
        bool aBlueBehind; // the background is then never shown
        std::function<void(TMixer&, TFakeRenderContext&)> aChange;
        bool aChanged;
    } const cases[] = {
        {"nothing", false, [](TMixer&, TFakeRenderContext&) {}, false},
        {"frame size", false, [](TMixer& m, TFakeRenderContext&) { m.context.aWidth = 6; }, true},
        {"fewer sources", false, [](TMixer& m, TFakeRenderContext&) { m.context.aSourceCount = 0; },
         true},
        {"hidden", false, [](TMixer& m, TFakeRenderContext&) { m.context.aHidden = {0}; }, true},
        {"source drawn anew", false,
         [](TMixer& m, TFakeRenderContext&) { m.sources[0]->aChangeStamp = m.context.aStamp + 1; },
         true},
        {"source lost its stream", false,
         [](TMixer&, TFakeRenderContext& pFront) { pFront.aStream = nullptr; }, true},
        {"a source added", false, [](TMixer& m, TFakeRenderContext&) { m.Add(1, 1, RED, true); },
         true},
        {"background colour", false,
         [](TMixer& m, TFakeRenderContext&) { m.background = TFakeValueFormula::Constant(1.0); },
         true},
        {"nothing, blue behind", true, [](TMixer&, TFakeRenderContext&) {}, false},
        {"a source added behind blue", true,
         [](TMixer& m, TFakeRenderContext&) { m.Add(1, 1, RED, true); }, false},
        {"background colour, never shown", true,
         [](TMixer& m, TFakeRenderContext&) { m.background = TFakeValueFormula::Constant(1.0); },
         false},
        {"a source behind blue drawn anew", true,
         [](TMixer& m, TFakeRenderContext&) { m.sources[1]->aChangeStamp = m.context.aStamp + 1; },
         true},
    };
    for (const auto& c : cases) {
        TMixer m;
        TFakeRenderContext& front = m.Add(2, 2, RED, true);
        if (c.aBlueBehind)
            m.Add(4, 2, BLUE, true);
        EXPECT_TRUE(m.Pass()) << "the first frame always composes";
        c.aChange(m, front);
        m.context.NextPass();
        m.mixer.SetRenderContext(&m.context);
        EXPECT_EQ(!m.mixer.IsUnchanged(&m.context), c.aChanged) << c.aName;
    }
}

// A host may skip Update, and a source may have no stream for a frame: the picture still
// follows its sources. Blue covers the frame behind red, so that no background shows.
TEST(SimpleMixerVideoStream, FollowsItsSourcesWhateverTheHostSkips) {
    TMixer m;
    TFakeRenderContext& front = m.Add(2, 2, RED, true);
    m.Add(4, 2, BLUE, true);
    wxString log;
    const auto pass = [&](bool pSkipUpdate) {
        log << m.Pass(pSkipUpdate) << ' ' << (pSkipUpdate ? "-" : m.Picture().BeforeFirst('/'))
            << "; ";
    };
    const auto redraw = [&](uint32_t pPixel) {
        m.sources[0]->SetFrame(2, 2, pPixel);
        m.sources[0]->aChangeStamp = m.context.aStamp + 1;
    };
    pass(false);
    front.aStream = nullptr; // absent for a frame
    pass(false);
    front.aStream = m.sources[0].get(); // back, unchanged since
    pass(false);
    pass(true); // unchanged, Update skipped
    redraw(GREEN);
    pass(false);
    redraw(RED);
    pass(true); // changed, Update skipped
    pass(false);
    EXPECT_EQ(log, "1 B R R B; 1 B B B B; 1 B R R B; 0 -; 1 B G G B; 1 -; 1 B R R B; ");
}

// An unchanged pass leaves the picture as it is: Update returns at once.
TEST(SimpleMixerVideoStream, UpdateOfAnUnchangedFrameTouchesNothing) {
    TMixer m;
    m.Add(2, 2, RED, true);
    m.Pass();
    static_cast<uint32_t*>(m.mixer.GetRawData())[0] = 0;
    m.context.aLog.clear();
    EXPECT_FALSE(m.Pass());
    EXPECT_EQ(m.Picture(), ". R R G/G R R G");
}

// The host's memory is never resized; a frame of another size is reported and composed into
// what the memory holds.
TEST(SimpleMixerVideoStream, HostMemoryKeepsItsSize) {
    TMixer m;
    m.Add(2, 2, RED, true);
    std::vector<uint32_t> memory(8, 7);
    m.mixer.SetBitmapData(memory.data(), 4, 2);
    m.Pass();
    EXPECT_EQ(m.Picture(), "G R R G/G R R G");
    m.context.aWidth = 6;
    EXPECT_ASSERTS(m.Pass(),
                   "(aBitmap.GetWidth() == aSize.x) && (aBitmap.GetHeight() == aSize.y)");
    EXPECT_EQ(m.mixer.GetRawData(), memory.data());
    EXPECT_EQ(m.mixer.GetBitmapFormat()->GetWidth(), 4);
}

TEST(SimpleMixerVideoStream, ReportsMisuse) {
    TMixer m;
    m.Pass();
    std::vector<uint32_t> memory(8, 7);
    EXPECT_ASSERTS(m.mixer.SetBitmapData(memory.data(), 4, 2), "!aBitmap.IsOwned()");
    EXPECT_EQ(m.mixer.GetRawData(), memory.data());
    m.context.aParamCount = 1;
    TFakeAudioStream audio;
    m.context.AddSource(&audio);
    EXPECT_ASSERTS(m.Pass(), "pContext->GetParamCount() == TZVMainVideoMixerRow::paramTOTAL",
                   "dynamic_cast<IZVVideoStream*>(pStream) returned NULL");
    EXPECT_EQ(m.Picture(), "G G G G/G G G G");
}
