#include "DLL/Res/DrawingResources.h"

#include "ALL/Assert.h"
#include "DLL/Res/CursorResource.h"

#include <wx/settings.h>

#include <atomic>
#include <mutex>

#include "DLL/Res/Icons/AudioMixer.xpm"
#include "DLL/Res/Icons/AudioStream.xpm"
#include "DLL/Res/Icons/BoldFont.xpm"
#include "DLL/Res/Icons/Filter.xpm"
#include "DLL/Res/Icons/FontName.xpm"
#include "DLL/Res/Icons/FontSize.xpm"
#include "DLL/Res/Icons/Italic.xpm"
#include "DLL/Res/Icons/MainAmplif.xpm"
#include "DLL/Res/Icons/Mask.xpm"
#include "DLL/Res/Icons/Param.xpm"
#include "DLL/Res/Icons/TimeLine.xpm"
#include "DLL/Res/Icons/Unknown.xpm"
#include "DLL/Res/Icons/VideoMixer.xpm"
#include "DLL/Res/Icons/VideoStream.xpm"
#include "Lib/Res/Icons/ColorBlue.xpm"
#include "Lib/Res/Icons/ColorGreen.xpm"
#include "Lib/Res/Icons/ColorRed.xpm"
#include "Lib/Res/Icons/ColorWheel.xpm"
#include "Lib/Res/Icons/Font.xpm"
#include "Lib/Res/Icons/SourceMix.xpm"

namespace {

std::atomic<long> theBuiltCount{0};
std::atomic<long> theFreedCount{0};

// The object of a getter: built by the first call under the slot's lock, then read without
// one, so that the waveform worker may call a getter beside the UI thread and both get the
// one object. When the build throws, the slot stays empty and the exception goes on.
// FreeDrawingResources empties the slot on the UI thread once no other thread draws.
template <typename T>
class TOnceSlot {
public:
    template <typename TBuild>
    T* Get(TBuild pBuild) {
        if (T* object = aObject.load(std::memory_order_acquire))
            return object;
        std::lock_guard<std::mutex> lock(aLock);
        T* object = aObject.load(std::memory_order_relaxed);
        if (!object) {
            object = pBuild();
            ++theBuiltCount;
            aObject.store(object, std::memory_order_release);
        }
        return object;
    }

    // Empties the slot; the next Get builds anew.
    void Reset() { aObject.store(nullptr, std::memory_order_release); }

private:
    std::atomic<T*> aObject{nullptr};
    std::mutex aLock;
};

// Deletes what the getter returns (building it first if need be) and empties the slot, so
// that the next call of the getter builds again.
template <typename T>
void Free(TOnceSlot<T>& pSlot, T* (*pGetter)()) {
    T* object = pGetter();
    pSlot.Reset();
    if (object) {
        delete object;
        ++theFreedCount;
    }
}

wxPen* NewPen(const wxColour& pColour) {
    return new wxPen(pColour, 1, wxPENSTYLE_SOLID);
}

wxBrush* NewBrush(const wxColour& pColour) {
    return new wxBrush(pColour, wxBRUSHSTYLE_SOLID);
}

#define ZV_ICON(pName) TOnceSlot<wxIcon> the##pName##Icon;
#include "DLL/Res/IconList"

#include "DLL/Res/IconCmnList"

#include "Lib/Res/IconCmnDllList"
#undef ZV_ICON

TOnceSlot<wxCursor> theHoriSizeCursor;
TOnceSlot<wxCursor> theVertSizeCursor;
TOnceSlot<wxCursor> theAllSizeCursor;
TOnceSlot<wxCursor> theSlashSizeCursor;
TOnceSlot<wxCursor> theBackSizeCursor;
TOnceSlot<wxCursor> theInvalidCursor;
TOnceSlot<wxCursor> theRotSizeCursor;

TOnceSlot<wxPen> theRedPen;
TOnceSlot<wxPen> theBluePen;
TOnceSlot<wxPen> theOrangePen;
TOnceSlot<wxPen> theOlivePen;
TOnceSlot<wxPen> theGreyPen;
TOnceSlot<wxPen> theTealPen;
TOnceSlot<wxPen> theNavyPen;
TOnceSlot<wxPen> thePurplePen;
TOnceSlot<wxPen> theMaroonPen;
TOnceSlot<wxPen> theSeqTickPen;
TOnceSlot<wxPen> theSeqBorderPen;

TOnceSlot<wxBrush> theButtonFaceBrush;
TOnceSlot<wxBrush> theShadeBrush;
TOnceSlot<wxBrush> theBlueBrush;
TOnceSlot<wxBrush> theHatchBrush;
TOnceSlot<wxBrush> theOliveBrush;
TOnceSlot<wxBrush> theGreyBrush;
TOnceSlot<wxBrush> theTealBrush;
TOnceSlot<wxBrush> theNavyBrush;
TOnceSlot<wxBrush> thePurpleBrush;
TOnceSlot<wxBrush> theMaroonBrush;
TOnceSlot<wxBrush> theSeqBrush;

} // namespace

// The list files give each getter its place: a report names the getter and the list's line.
#define ZV_ICON(pName)                                                                             \
    wxIcon* Get##pName##Icon() {                                                                   \
        wxIcon* const The##pName##Icon =                                                           \
            the##pName##Icon.Get([] { return new wxIcon(pName##_xpm); });                          \
        ZV_ASSERT(The##pName##Icon->IsOk());                                                       \
        return The##pName##Icon;                                                                   \
    }
#include "DLL/Res/IconList"

#include "DLL/Res/IconCmnList"

#include "Lib/Res/IconCmnDllList"
#undef ZV_ICON

const TIconGetter theColorComponentIcons[3] = {GetColorRedIcon, GetColorGreenIcon,
                                               GetColorBlueIcon};
const TIconGetter theFontComponentIcons[4] = {GetFontNameIcon, GetFontSizeIcon, GetBoldFontIcon,
                                              GetItalicIcon};

wxCursor* GetHoriSizeCursor() {
    return theHoriSizeCursor.Get([] { return NSCursorResource::Load("HoriSize"); });
}
wxCursor* GetVertSizeCursor() {
    return theVertSizeCursor.Get([] { return NSCursorResource::Load("VertSize"); });
}
wxCursor* GetAllSizeCursor() {
    return theAllSizeCursor.Get([] { return NSCursorResource::Load("AllSize"); });
}
wxCursor* GetSlashSizeCursor() {
    return theSlashSizeCursor.Get([] { return NSCursorResource::Load("SlashSize"); });
}
wxCursor* GetBackSizeCursor() {
    return theBackSizeCursor.Get([] { return NSCursorResource::Load("BackSize"); });
}
wxCursor* GetInvalidCursor() {
    return theInvalidCursor.Get([] { return NSCursorResource::Load("Invalid"); });
}
wxCursor* GetRotSizeCursor() {
    return theRotSizeCursor.Get([] { return NSCursorResource::Load("RotSize"); });
}

const wxColour& GetButtonFaceColour() {
    static const wxColour theColour = [] {
        const wxColour face = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
        return wxColour(face.Red(), face.Green(), face.Blue());
    }();
    return theColour;
}
const wxColour& GetOliveColour() {
    static const wxColour theColour(128, 128, 0);
    return theColour;
}
const wxColour& GetGreyColour() {
    static const wxColour theColour(128, 128, 128);
    return theColour;
}
const wxColour& GetTealColour() {
    static const wxColour theColour(0, 128, 128);
    return theColour;
}
const wxColour& GetNavyColour() {
    static const wxColour theColour(0, 0, 128);
    return theColour;
}
const wxColour& GetPurpleColour() {
    static const wxColour theColour(128, 0, 128);
    return theColour;
}
const wxColour& GetMaroonColour() {
    static const wxColour theColour(128, 0, 0);
    return theColour;
}

const wxPen* GetWhitePen() {
    return wxWHITE_PEN;
}
const wxPen* GetBlackPen() {
    return wxBLACK_PEN;
}
wxPen* GetRedPen() {
    return theRedPen.Get([] { return NewPen(wxColour(255, 0, 0)); });
}
wxPen* GetBluePen() {
    return theBluePen.Get([] { return NewPen(wxColour(0, 64, 255)); });
}
wxPen* GetOrangePen() {
    return theOrangePen.Get([] { return NewPen(wxColour(255, 192, 63)); });
}
wxPen* GetOlivePen() {
    return theOlivePen.Get([] { return NewPen(GetOliveColour()); });
}
wxPen* GetGreyPen() {
    return theGreyPen.Get([] { return NewPen(GetGreyColour()); });
}
wxPen* GetTealPen() {
    return theTealPen.Get([] { return NewPen(GetTealColour()); });
}
wxPen* GetNavyPen() {
    return theNavyPen.Get([] { return NewPen(GetNavyColour()); });
}
wxPen* GetPurplePen() {
    return thePurplePen.Get([] { return NewPen(GetPurpleColour()); });
}
wxPen* GetMaroonPen() {
    return theMaroonPen.Get([] { return NewPen(GetMaroonColour()); });
}
wxPen* GetSeqTickPen() {
    return theSeqTickPen.Get([] { return NewPen(wxColour(224, 255, 224)); });
}
wxPen* GetSeqBorderPen() {
    return theSeqBorderPen.Get([] { return NewPen(wxColour(0, 218, 0)); });
}

wxBrush* GetButtonFaceBrush() {
    return theButtonFaceBrush.Get([] { return NewBrush(GetButtonFaceColour()); });
}
wxBrush* GetShadeBrush() {
    return theShadeBrush.Get([] {
        const wxColour& face = GetButtonFaceColour();
        return NewBrush(wxColour(face.Blue(), face.Green(), face.Red()));
    });
}
wxBrush* GetBlueBrush() {
    return theBlueBrush.Get([] { return NewBrush(wxColour(0, 64, 255)); });
}
wxBrush* GetHatchBrush() {
    return theHatchBrush.Get(
        [] { return new wxBrush(wxColour(128, 128, 128), wxBRUSHSTYLE_CROSSDIAG_HATCH); });
}
wxBrush* GetOliveBrush() {
    return theOliveBrush.Get([] { return NewBrush(GetOliveColour()); });
}
wxBrush* GetGreyBrush() {
    return theGreyBrush.Get([] { return NewBrush(GetGreyColour()); });
}
wxBrush* GetTealBrush() {
    return theTealBrush.Get([] { return NewBrush(GetTealColour()); });
}
wxBrush* GetNavyBrush() {
    return theNavyBrush.Get([] { return NewBrush(GetNavyColour()); });
}
wxBrush* GetPurpleBrush() {
    return thePurpleBrush.Get([] { return NewBrush(GetPurpleColour()); });
}
wxBrush* GetMaroonBrush() {
    return theMaroonBrush.Get([] { return NewBrush(GetMaroonColour()); });
}
wxBrush* GetSeqBrush() {
    return theSeqBrush.Get([] { return NewBrush(wxColour(194, 255, 181)); });
}

void FreeDrawingResources() {
#define ZV_ICON(pName) Free(the##pName##Icon, Get##pName##Icon);
#include "DLL/Res/IconList"

#include "DLL/Res/IconCmnList"

#include "Lib/Res/IconCmnDllList"
#undef ZV_ICON

    Free(theHoriSizeCursor, GetHoriSizeCursor);
    Free(theVertSizeCursor, GetVertSizeCursor);
    Free(theAllSizeCursor, GetAllSizeCursor);
    Free(theRotSizeCursor, GetRotSizeCursor);
    Free(theSlashSizeCursor, GetSlashSizeCursor);
    Free(theBackSizeCursor, GetBackSizeCursor);
    Free(theInvalidCursor, GetInvalidCursor);

    Free(theOliveBrush, GetOliveBrush);
    Free(theGreyBrush, GetGreyBrush);
    Free(theTealBrush, GetTealBrush);
    Free(theNavyBrush, GetNavyBrush);
    Free(thePurpleBrush, GetPurpleBrush);
    Free(theMaroonBrush, GetMaroonBrush);
    Free(theShadeBrush, GetShadeBrush);
    Free(theHatchBrush, GetHatchBrush);
    Free(theButtonFaceBrush, GetButtonFaceBrush);
    Free(theSeqBrush, GetSeqBrush);
    Free(theBlueBrush, GetBlueBrush);

    Free(theOlivePen, GetOlivePen);
    Free(theGreyPen, GetGreyPen);
    Free(theTealPen, GetTealPen);
    Free(theNavyPen, GetNavyPen);
    Free(thePurplePen, GetPurplePen);
    Free(theMaroonPen, GetMaroonPen);
    Free(theOrangePen, GetOrangePen);
    Free(theBluePen, GetBluePen);
    Free(theRedPen, GetRedPen);
    Free(theSeqTickPen, GetSeqTickPen);
    Free(theSeqBorderPen, GetSeqBorderPen);
}

TDrawingResourceCounts GetDrawingResourceCounts() {
    return {theBuiltCount.load(), theFreedCount.load()};
}
