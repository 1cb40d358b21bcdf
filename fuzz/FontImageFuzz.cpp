// Font image strings from arbitrary text: either a TError that quotes the text, or components
// whose image reads back to the same components, with the face taken whole from the end of the
// text.
#include "ALL/Error.h"
#include "DLL/Ctl/FontImage.h"
#include "FuzzInput.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t pSize) {
    const wxString text = FuzzText(pData, pSize);
    wxString face;
    int size = 0;
    bool bold = false, italic = false;
    try {
        GetFontComp(text, face, size, bold, italic);
    } catch (const TError& error) {
        // Formatting stops at a NUL character.
        Require(text.Find(wxUniChar(0)) != wxNOT_FOUND || error.EndsWith("\"" + text + "\""));
        return 0;
    }
    Require(text.EndsWith(face));

    const wxString image = GetFontImage(face, size, bold, italic);
    wxString face2;
    int size2 = 0;
    bool bold2 = !bold, italic2 = !italic;
    GetFontComp(image, face2, size2, bold2, italic2);
    Require(face2 == face && size2 == size && bold2 == bold && italic2 == italic);
    Require(GetFontImage(face2, size2, bold2, italic2) == image);
    return 0;
}
