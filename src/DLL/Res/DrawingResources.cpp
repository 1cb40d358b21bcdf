#include "DLL/Res/DrawingResources.h"

#include "ALL/Assert.h"
#include "DLL/Res/CursorResource.h"

#include <wx/settings.h>

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

long theBuiltCount = 0;
long theFreedCount = 0;

// The object of a getter: built by the first call and kept until freed. When the build throws,
// the slot stays empty and the exception goes on.
template <typename T, typename TBuild>
T* BuiltOnce(T*& pSlot, TBuild pBuild) {
    if (!pSlot) {
        pSlot = pBuild();
        ++theBuiltCount;
    }
    return pSlot;
}

// Deletes what the getter returns (building it first if need be) and empties the slot, so
// that the next call of the getter builds again.
template <typename T>
void Free(T*& pSlot, T* (*pGetter)()) {
    T* object = pGetter();
    pSlot = nullptr;
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

#define ZV_ICON(pName) wxIcon* The##pName##Icon = nullptr;
#include "DLL/Res/IconList"

#include "DLL/Res/IconCmnList"

#include "Lib/Res/IconCmnDllList"
#undef ZV_ICON

wxCursor* theHoriSizeCursor = nullptr;
wxCursor* theVertSizeCursor = nullptr;
wxCursor* theAllSizeCursor = nullptr;
wxCursor* theSlashSizeCursor = nullptr;
wxCursor* theBackSizeCursor = nullptr;
wxCursor* theInvalidCursor = nullptr;
wxCursor* theRotSizeCursor = nullptr;

wxPen* theRedPen = nullptr;
wxPen* theBluePen = nullptr;
wxPen* theOrangePen = nullptr;
wxPen* theOlivePen = nullptr;
wxPen* theGreyPen = nullptr;
wxPen* theTealPen = nullptr;
wxPen* theNavyPen = nullptr;
wxPen* thePurplePen = nullptr;
wxPen* theMaroonPen = nullptr;
wxPen* theSeqTickPen = nullptr;
wxPen* theSeqBorderPen = nullptr;

wxBrush* theButtonFaceBrush = nullptr;
wxBrush* theShadeBrush = nullptr;
wxBrush* theBlueBrush = nullptr;
wxBrush* theHatchBrush = nullptr;
wxBrush* theOliveBrush = nullptr;
wxBrush* theGreyBrush = nullptr;
wxBrush* theTealBrush = nullptr;
wxBrush* theNavyBrush = nullptr;
wxBrush* thePurpleBrush = nullptr;
wxBrush* theMaroonBrush = nullptr;
wxBrush* theSeqBrush = nullptr;

} // namespace

// The list files give each getter its place: a report names the getter and the list's line.
#define ZV_ICON(pName)                                                                             \
    wxIcon* Get##pName##Icon() {                                                                   \
        BuiltOnce(The##pName##Icon, [] { return new wxIcon(pName##_xpm); });                       \
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
    return BuiltOnce(theHoriSizeCursor, [] { return NSCursorResource::Load("HoriSize"); });
}
wxCursor* GetVertSizeCursor() {
    return BuiltOnce(theVertSizeCursor, [] { return NSCursorResource::Load("VertSize"); });
}
wxCursor* GetAllSizeCursor() {
    return BuiltOnce(theAllSizeCursor, [] { return NSCursorResource::Load("AllSize"); });
}
wxCursor* GetSlashSizeCursor() {
    return BuiltOnce(theSlashSizeCursor, [] { return NSCursorResource::Load("SlashSize"); });
}
wxCursor* GetBackSizeCursor() {
    return BuiltOnce(theBackSizeCursor, [] { return NSCursorResource::Load("BackSize"); });
}
wxCursor* GetInvalidCursor() {
    return BuiltOnce(theInvalidCursor, [] { return NSCursorResource::Load("Invalid"); });
}
wxCursor* GetRotSizeCursor() {
    return BuiltOnce(theRotSizeCursor, [] { return NSCursorResource::Load("RotSize"); });
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
    return BuiltOnce(theRedPen, [] { return NewPen(wxColour(255, 0, 0)); });
}
wxPen* GetBluePen() {
    return BuiltOnce(theBluePen, [] { return NewPen(wxColour(0, 64, 255)); });
}
wxPen* GetOrangePen() {
    return BuiltOnce(theOrangePen, [] { return NewPen(wxColour(255, 192, 63)); });
}
wxPen* GetOlivePen() {
    return BuiltOnce(theOlivePen, [] { return NewPen(GetOliveColour()); });
}
wxPen* GetGreyPen() {
    return BuiltOnce(theGreyPen, [] { return NewPen(GetGreyColour()); });
}
wxPen* GetTealPen() {
    return BuiltOnce(theTealPen, [] { return NewPen(GetTealColour()); });
}
wxPen* GetNavyPen() {
    return BuiltOnce(theNavyPen, [] { return NewPen(GetNavyColour()); });
}
wxPen* GetPurplePen() {
    return BuiltOnce(thePurplePen, [] { return NewPen(GetPurpleColour()); });
}
wxPen* GetMaroonPen() {
    return BuiltOnce(theMaroonPen, [] { return NewPen(GetMaroonColour()); });
}
wxPen* GetSeqTickPen() {
    return BuiltOnce(theSeqTickPen, [] { return NewPen(wxColour(224, 255, 224)); });
}
wxPen* GetSeqBorderPen() {
    return BuiltOnce(theSeqBorderPen, [] { return NewPen(wxColour(0, 218, 0)); });
}

wxBrush* GetButtonFaceBrush() {
    return BuiltOnce(theButtonFaceBrush, [] { return NewBrush(GetButtonFaceColour()); });
}
wxBrush* GetShadeBrush() {
    return BuiltOnce(theShadeBrush, [] {
        const wxColour& face = GetButtonFaceColour();
        return NewBrush(wxColour(face.Blue(), face.Green(), face.Red()));
    });
}
wxBrush* GetBlueBrush() {
    return BuiltOnce(theBlueBrush, [] { return NewBrush(wxColour(0, 64, 255)); });
}
wxBrush* GetHatchBrush() {
    return BuiltOnce(theHatchBrush, [] {
        return new wxBrush(wxColour(128, 128, 128), wxBRUSHSTYLE_CROSSDIAG_HATCH);
    });
}
wxBrush* GetOliveBrush() {
    return BuiltOnce(theOliveBrush, [] { return NewBrush(GetOliveColour()); });
}
wxBrush* GetGreyBrush() {
    return BuiltOnce(theGreyBrush, [] { return NewBrush(GetGreyColour()); });
}
wxBrush* GetTealBrush() {
    return BuiltOnce(theTealBrush, [] { return NewBrush(GetTealColour()); });
}
wxBrush* GetNavyBrush() {
    return BuiltOnce(theNavyBrush, [] { return NewBrush(GetNavyColour()); });
}
wxBrush* GetPurpleBrush() {
    return BuiltOnce(thePurpleBrush, [] { return NewBrush(GetPurpleColour()); });
}
wxBrush* GetMaroonBrush() {
    return BuiltOnce(theMaroonBrush, [] { return NewBrush(GetMaroonColour()); });
}
wxBrush* GetSeqBrush() {
    return BuiltOnce(theSeqBrush, [] { return NewBrush(wxColour(194, 255, 181)); });
}

void FreeDrawingResources() {
#define ZV_ICON(pName) Free(The##pName##Icon, Get##pName##Icon);
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
    return {theBuiltCount, theFreedCount};
}
