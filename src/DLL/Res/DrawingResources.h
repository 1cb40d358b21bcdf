// The shared drawing objects of the module and its host: icons, cursors, colours, pens and
// brushes. Each is built by the first call of its getter and shared from then on: every later
// call returns the same object, and callers never delete one. Threads that call a getter for
// the first time together (the waveform worker beside the UI thread) get the one object. A
// build that throws leaves the resource unbuilt and the next call tries again.
#pragma once

#include <wx/brush.h>
#include <wx/colour.h>
#include <wx/cursor.h>
#include <wx/icon.h>
#include <wx/pen.h>

// Icons, 16 x 16, one getter Get<Name>Icon per entry of the three list files:
//   Lib/Res/IconCmnDllList  ColorBlue, ColorGreen, ColorRed, ColorWheel, Font, SourceMix
//   DLL/Res/IconCmnList     AudioStream, Filter, Param, Unknown, VideoStream
//   DLL/Res/IconList        AudioMixer, BoldFont, FontName, FontSize, Italic, MainAmplif, Mask,
//                           TimeLine, VideoMixer
// Each call reports "The<Name>Icon->IsOk()" when the icon is not valid, and returns it anyway.
#define ZV_ICON(pName) wxIcon* Get##pName##Icon();
#include "DLL/Res/IconList"

#include "DLL/Res/IconCmnList"

#include "Lib/Res/IconCmnDllList"
#undef ZV_ICON

using TIconGetter = wxIcon* (*)();
// The colour component icons by component number: 0 red, 1 green, 2 blue.
extern const TIconGetter theColorComponentIcons[3];
// The font component icons by component number: 0 name, 1 size, 2 bold, 3 italic.
extern const TIconGetter theFontComponentIcons[4];

// Cursors of the size handles (horizontal, vertical, both, "/" and "\" diagonals), of a press
// over nothing (Invalid) and of rotation, from the named cursor resources.
wxCursor* GetHoriSizeCursor();
wxCursor* GetVertSizeCursor();
wxCursor* GetAllSizeCursor();
wxCursor* GetSlashSizeCursor();
wxCursor* GetBackSizeCursor();
wxCursor* GetInvalidCursor();
wxCursor* GetRotSizeCursor();

// Colours, opaque. The button face is the system's, read at the first call and kept.
const wxColour& GetButtonFaceColour();
const wxColour& GetOliveColour();  // 128, 128, 0
const wxColour& GetGreyColour();   // 128, 128, 128
const wxColour& GetTealColour();   // 0, 128, 128
const wxColour& GetNavyColour();   // 0, 0, 128
const wxColour& GetPurpleColour(); // 128, 0, 128
const wxColour& GetMaroonColour(); // 128, 0, 0

// Pens, 1 pixel wide and solid; the white and black ones are the wxWidgets stock pens.
const wxPen* GetWhitePen();
const wxPen* GetBlackPen();
wxPen* GetRedPen();       // 255, 0, 0
wxPen* GetBluePen();      // 0, 64, 255
wxPen* GetOrangePen();    // 255, 192, 63
wxPen* GetOlivePen();     // the olive colour
wxPen* GetGreyPen();      // the grey colour
wxPen* GetTealPen();      // the teal colour
wxPen* GetNavyPen();      // the navy colour
wxPen* GetPurplePen();    // the purple colour
wxPen* GetMaroonPen();    // the maroon colour
wxPen* GetSeqTickPen();   // 224, 255, 224
wxPen* GetSeqBorderPen(); // 0, 218, 0

// Brushes, solid unless stated.
wxBrush* GetButtonFaceBrush(); // the button-face colour
wxBrush* GetShadeBrush();      // the button face with red and blue exchanged
wxBrush* GetBlueBrush();       // 0, 64, 255
wxBrush* GetHatchBrush();      // 128, 128, 128, cross-diagonal hatch
wxBrush* GetOliveBrush();      // the olive colour
wxBrush* GetGreyBrush();       // the grey colour
wxBrush* GetTealBrush();       // the teal colour
wxBrush* GetNavyBrush();       // the navy colour
wxBrush* GetPurpleBrush();     // the purple colour
wxBrush* GetMaroonBrush();     // the maroon colour
wxBrush* GetSeqBrush();        // 194, 255, 181

// Deletes every icon, cursor, pen and brush, building first whatever was not built; leaves the
// colours and the stock pens alone. A getter called afterwards builds its object anew. Runs on
// the UI thread while no other thread draws.
void FreeDrawingResources();

// How many icons, cursors, pens and brushes were built and deleted so far (for leak checks).
struct TDrawingResourceCounts {
    long aBuilt;
    long aFreed;
};
TDrawingResourceCounts GetDrawingResourceCounts();
