#include "DLL/Res/DrawingResources.h"

#include "DLL/Res/CursorResource.h"
#include "support/AssertCapture.h"

#include <wx/settings.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <iterator>
#include <memory>
#include <set>
#include <thread>
#include <vector>

namespace {

using TGetter = wxGDIObject* (*)();

template <auto pGetter>
wxGDIObject* Object() {
    return pGetter();
}

// Every object that FreeDrawingResources deletes.
const TGetter theFreed[] = {
    // Icons, as the three list files give them.
    Object<GetAudioMixerIcon>, Object<GetBoldFontIcon>, Object<GetFontNameIcon>,
    Object<GetFontSizeIcon>, Object<GetItalicIcon>, Object<GetMainAmplifIcon>, Object<GetMaskIcon>,
    Object<GetTimeLineIcon>, Object<GetVideoMixerIcon>, Object<GetAudioStreamIcon>,
    Object<GetFilterIcon>, Object<GetParamIcon>, Object<GetUnknownIcon>, Object<GetVideoStreamIcon>,
    Object<GetColorBlueIcon>, Object<GetColorGreenIcon>, Object<GetColorRedIcon>,
    Object<GetColorWheelIcon>, Object<GetFontIcon>, Object<GetSourceMixIcon>,
    // Cursors.
    Object<GetHoriSizeCursor>, Object<GetVertSizeCursor>, Object<GetAllSizeCursor>,
    Object<GetRotSizeCursor>, Object<GetSlashSizeCursor>, Object<GetBackSizeCursor>,
    Object<GetInvalidCursor>,
    // Brushes, then pens: the last 22 entries.
    Object<GetOliveBrush>, Object<GetGreyBrush>, Object<GetTealBrush>, Object<GetNavyBrush>,
    Object<GetPurpleBrush>, Object<GetMaroonBrush>, Object<GetShadeBrush>, Object<GetHatchBrush>,
    Object<GetButtonFaceBrush>, Object<GetSeqBrush>, Object<GetBlueBrush>, Object<GetOlivePen>,
    Object<GetGreyPen>, Object<GetTealPen>, Object<GetNavyPen>, Object<GetPurplePen>,
    Object<GetMaroonPen>, Object<GetOrangePen>, Object<GetBluePen>, Object<GetRedPen>,
    Object<GetSeqTickPen>, Object<GetSeqBorderPen>};
constexpr size_t ICON_COUNT = 20;

// The objects of the getters, in the getters' order.
std::vector<const void*> Objects(const TGetter* pBegin, const TGetter* pEnd) {
    std::vector<const void*> objects;
    std::transform(pBegin, pEnd, std::back_inserter(objects), [](TGetter p) { return p(); });
    return objects;
}

} // namespace

TEST(DrawingResources, IconsAreSixteenPixelsAndCursorNamesCompareWithoutCase) {
    for (size_t i = 0; i < ICON_COUNT; ++i)
        EXPECT_EQ(static_cast<wxIcon*>(theFreed[i]())->GetSize(), wxSize(16, 16)) << i;
    EXPECT_TRUE(std::unique_ptr<wxCursor>(NSCursorResource::Load("horisize"))->IsOk());
    EXPECT_FALSE(std::unique_ptr<wxCursor>(NSCursorResource::Load("NoSuchCursor"))->IsOk());
}

TEST(DrawingResources, ButtonFaceIsTheSystemColourAndShadeExchangesRedAndBlue) {
    const wxColour system = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
    const wxColour& face = GetButtonFaceColour();
    EXPECT_EQ(face, wxColour(system.Red(), system.Green(), system.Blue()));
    EXPECT_EQ(*GetButtonFaceBrush(), wxBrush(face));
    EXPECT_EQ(*GetShadeBrush(), wxBrush(wxColour(face.Blue(), face.Green(), face.Red())));
}

// All 49 objects, valid and distinct, go, built first where missing (the leak check sees any
// left); getters build again afterwards; colours stay.
TEST(DrawingResources, FreeDeletesAll49DistinctObjectsAndGettersBuildAgain) {
    const wxColour* olive = &GetOliveColour();
    FreeDrawingResources();
    const TDrawingResourceCounts start = GetDrawingResourceCounts();
    GetRedPen();
    GetInvalidCursor();
    const std::vector<const void*> objects = Objects(std::begin(theFreed), std::end(theFreed));
    EXPECT_EQ(Objects(std::begin(theFreed), std::end(theFreed)), objects)
        << "the same object on each call";
    EXPECT_EQ(std::set<const void*>(objects.begin(), objects.end()).size(), objects.size());
    for (const void* object : objects)
        EXPECT_TRUE(static_cast<const wxGDIObject*>(object)->IsOk());
    FreeDrawingResources();
    const TDrawingResourceCounts freed = GetDrawingResourceCounts();
    EXPECT_EQ(freed.aBuilt - start.aBuilt, 49);
    EXPECT_EQ(freed.aFreed - start.aFreed, 49);
    EXPECT_TRUE(GetTealPen()->IsOk());
    EXPECT_TRUE(GetFontIcon()->IsOk());
    EXPECT_EQ(GetTealPen()->GetColour(), wxColour(0, 128, 128));
    EXPECT_EQ(GetDrawingResourceCounts().aBuilt - freed.aBuilt, 2);
    EXPECT_EQ(&GetOliveColour(), olive);
}

// An icon whose image did not load is reported by each call of its getter, the clean-up's
// included, and still returned and deleted.
TEST(DrawingResources, AnInvalidIconIsReportedByItsGetterAndTheCleanUp) {
    FreeDrawingResources();
    *GetFontIcon() = wxIcon();
    *GetMaskIcon() = wxIcon();
    wxIcon* font = nullptr;
    EXPECT_ASSERTS(font = GetFontIcon(), "TheFontIcon->IsOk()");
    EXPECT_FALSE(font->IsOk());
    const long freed = GetDrawingResourceCounts().aFreed;
    EXPECT_ASSERTS(FreeDrawingResources(), "TheMaskIcon->IsOk()", "TheFontIcon->IsOk()");
    EXPECT_EQ(GetDrawingResourceCounts().aFreed - freed, 49);
    EXPECT_TRUE(GetFontIcon()->IsOk());
}

// The waveform worker draws beside the UI thread: two threads that call the pen and brush
// getters for the first time together get the same objects, each built once.
TEST(DrawingResources, TwoThreadsCallingGettersFirstShareEachObject) {
    const TGetter* pensAndBrushes = std::end(theFreed) - 22;
    // The system colour is read on the UI thread.
    GetButtonFaceColour();
    for (int round = 0; round < 40; ++round) {
        FreeDrawingResources();
        const long built = GetDrawingResourceCounts().aBuilt;
        std::atomic<int> ready{0};
        auto run = [&](std::vector<const void*>& pObjects) {
            for (++ready; ready < 2;) {
            }
            pObjects = Objects(pensAndBrushes, std::end(theFreed));
        };
        std::vector<const void*> first, second;
        std::thread other(run, std::ref(second));
        run(first);
        other.join();
        EXPECT_EQ(first, second);
        EXPECT_EQ(GetDrawingResourceCounts().aBuilt - built, 22);
    }
}
