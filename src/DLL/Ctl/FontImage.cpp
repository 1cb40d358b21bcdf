#include "DLL/Ctl/FontImage.h"

#include "ALL/Assert.h"
#include "ALL/Error.h"
#include "ALL/Number.h"
#include "DLL/Ctl/RasterHelper.h"
#include "DLL/Res/DrawingResources.h"

#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/fontutil.h>

#include <algorithm>
#include <cstdint>

namespace {

// The font library keeps a size in 1/1024 points in an int; a larger size breaks the font.
const int theMaxPointSize = 2097151;

int PointSizeOf(int pSize) {
    const int64_t magnitude = pSize < 0 ? -int64_t(pSize) : int64_t(pSize);
    return int(std::min<int64_t>(magnitude, theMaxPointSize));
}

bool IsBold(const wxFont& pFont) {
    return pFont.GetNumericWeight() == wxFONTWEIGHT_BOLD;
}

bool IsItalic(const wxFont& pFont) {
    return pFont.GetStyle() == wxFONTSTYLE_ITALIC;
}

// One letter of a font image string: pYes gives true, pNo false, anything else is refused.
bool ReadFlag(wxUniChar pLetter, wxUniChar pYes, wxUniChar pNo, bool& pFlag) {
    if (pLetter != pYes && pLetter != pNo)
        return false;
    pFlag = pLetter == pYes;
    return true;
}

// Gives pFont the face name as a font built with that name carries it; true when the font
// changed. wxFont::SetFaceName would turn the font invalid for a face that is not installed,
// where a font built with the name keeps it and draws with a fallback face; and an empty name
// reads back as the default face, which is no change.
bool SetFace(wxFont& pFont, const wxString& pFace) {
    if (pFont.GetFaceName() == pFace)
        return false;
    wxNativeFontInfo info(*pFont.GetNativeFontInfo());
    info.SetFaceName(pFace);
    const wxFont renamed(info);
    if (renamed.GetFaceName() == pFont.GetFaceName())
        return false;
    pFont = renamed;
    return true;
}

} // namespace

wxString GetFontImage(const wxString& pFace, int pSize, bool pBold, bool pItalic) {
    wxString image;
    image << wxUniChar(pBold ? 'B' : 'b') << wxUniChar(pItalic ? 'I' : 'i') << pSize << '\t'
          << pFace;
    return image;
}

wxString GetFontImage(const wxFont& pFont) {
    if (!ZV_ASSERT(pFont.IsOk()))
        return GetFontImage(wxString(), 0, false, false);
    return GetFontImage(pFont.GetFaceName(), pFont.GetPointSize(), IsBold(pFont), IsItalic(pFont));
}

void GetFontComp(const wxString& pImage, wxString& pFace, int& pSize, bool& pBold, bool& pItalic) {
    const int tab = pImage.Find('\t');
    if (tab == wxNOT_FOUND)
        throw TError(L"Tab not found in font image string: \"%s\"", pImage);
    // With a tab present, character 0 exists, and character 1 too unless character 0 is the
    // tab, which the bold check refuses.
    if (!ReadFlag(pImage[0], 'B', 'b', pBold))
        throw TError(L"Invalid Bold character in font image string: \"%s\"", pImage);
    if (!ReadFlag(pImage[1], 'I', 'i', pItalic))
        throw TError(L"Invalid Italic character in font image string: \"%s\"", pImage);
    long size = 0;
    if (!ParseLong32(pImage.Mid(2, tab - 2), size))
        throw TError(L"Font size is not a number in font image string: \"%s\"", pImage);
    pSize = int(size);
    pFace = pImage.Mid(tab + 1);
}

wxFont GetFontValue(const wxString& pFace, int pSize, bool pBold, bool pItalic) {
    if (pSize == 0)
        return wxNullFont;
    return wxFont(
        PointSizeOf(pSize), wxFONTFAMILY_DEFAULT, pItalic ? wxFONTSTYLE_ITALIC : wxFONTSTYLE_NORMAL,
        pBold ? wxFONTWEIGHT_BOLD : wxFONTWEIGHT_NORMAL, false, pFace, wxFONTENCODING_DEFAULT);
}

wxFont GetFontValue(const wxString& pImage) {
    wxString face;
    int size = 0;
    bool bold = false, italic = false;
    GetFontComp(pImage, face, size, bold, italic);
    return GetFontValue(face, size, bold, italic);
}

bool UpdateFontValue(const wxString& pFace, int pFontSize, bool pBold, bool pItalic,
                     wxFont& pFont) {
    ZV_ASSERT(pFontSize != 0);
    if (!pFont.IsOk()) {
        pFont = GetFontValue(pFace, pFontSize, pBold, pItalic);
        return true;
    }
    bool changed = SetFace(pFont, pFace);
    const int size = PointSizeOf(pFontSize);
    if (size != 0 && pFont.GetPointSize() != size) {
        pFont.SetPointSize(size);
        changed = true;
    }
    if (IsBold(pFont) != pBold) {
        pFont.SetWeight(pBold ? wxFONTWEIGHT_BOLD : wxFONTWEIGHT_NORMAL);
        changed = true;
    }
    if (IsItalic(pFont) != pItalic) {
        pFont.SetStyle(pItalic ? wxFONTSTYLE_ITALIC : wxFONTSTYLE_NORMAL);
        changed = true;
    }
    return changed;
}

wxBitmap* CreateBlankBitmap(int pWidth, int pHeight) {
    if (!ZV_ASSERT(pWidth > 0 && pHeight > 0))
        return new wxBitmap();
    wxBitmap* bitmap = new wxBitmap(pWidth, pHeight, 32);
    wxMemoryDC dc(*bitmap);
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBackground(*wxBLACK_BRUSH);
    dc.SetBrush(*GetHatchBrush());
    // A new 32-bit bitmap starts out transparent here: the black background fills the gaps
    // between the hatch lines.
    dc.Clear();
    TRasterHelper(dc).DrawRectangle(0, 0, pWidth, pHeight);
    dc.SelectObject(wxNullBitmap);
    return bitmap;
}
