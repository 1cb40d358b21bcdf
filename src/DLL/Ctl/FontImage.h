// Font image strings: the text form of a font value of the row tree, "B" or "b" (bold or not),
// "I" or "i" (italic or not), the point size in decimal (a negative size keeps its sign), a tab,
// then the face name to the end (it may hold tabs itself). For example "Bi12\tArial".
// A font is bold only at exactly the bold weight and italic only in exactly the italic style.
#pragma once

#include <wx/font.h>
#include <wx/string.h>

class wxBitmap;

// The font image string of the components.
wxString GetFontImage(const wxString& pFace, int pSize, bool pBold, bool pItalic);
// The font image string of a font's face name, point size, weight and style. An invalid font
// is reported and gives "bi0\t", the image of the null font.
wxString GetFontImage(const wxFont& pFont);

// Splits a font image string. Throws TError, checking in this order: a tab is present, the
// bold letter, the italic letter, the size (a decimal within the 32-bit range). pBold and
// pItalic may already be written when a later check fails; pFace and pSize only on success.
void GetFontComp(const wxString& pImage, wxString& pFace, int& pSize, bool& pBold, bool& pItalic);

// The font of the components: size 0 gives the null font; any other size a font of the
// default family at point size |pSize| (at most 2097151, the largest the font library holds).
wxFont GetFontValue(const wxString& pFace, int pSize, bool pBold, bool pItalic);
// The font of a font image string; throws GetFontComp's TError.
wxFont GetFontValue(const wxString& pImage);

// Brings pFont in line with the components and returns whether it changed. An invalid font is
// replaced by GetFontValue's font (true). Otherwise the face name, the point size |pFontSize|,
// bold and italic are each set only where they differ. A size of 0 is reported, and leaves a
// valid font's point size alone.
bool UpdateFontValue(const wxString& pFace, int pFontSize, bool pBold, bool pItalic, wxFont& pFont);

// A new pWidth x pHeight bitmap, owned by the caller: opaque black under a grey cross-diagonal
// hatch, the placeholder of a picture. A size that is not positive is reported and gives an
// invalid bitmap.
wxBitmap* CreateBlankBitmap(int pWidth, int pHeight);
