#include "DLL/Res/CursorResource.h"

#include <wx/image.h>

#include "DLL/Res/Cursors/AllSize.xpm"
#include "DLL/Res/Cursors/BackSize.xpm"
#include "DLL/Res/Cursors/HoriSize.xpm"
#include "DLL/Res/Cursors/Invalid.xpm"
#include "DLL/Res/Cursors/RotSize.xpm"
#include "DLL/Res/Cursors/SlashSize.xpm"
#include "DLL/Res/Cursors/VertSize.xpm"

namespace {

struct TCursorImage {
    const char* aName;
    const char* const* aXpm;
    int aHotX;
    int aHotY;
};

// Arrows and crossings are centred on their hot spot; the diagonals' spot is where the
// diagonal passes the middle.
const TCursorImage theCursorImages[] = {
    {"HoriSize", HoriSize_xpm, 7, 7}, {"VertSize", VertSize_xpm, 7, 7},
    {"AllSize", AllSize_xpm, 7, 8},   {"SlashSize", SlashSize_xpm, 7, 8},
    {"BackSize", BackSize_xpm, 8, 8}, {"Invalid", Invalid_xpm, 7, 7},
    {"RotSize", RotSize_xpm, 7, 7},
};

} // namespace

namespace NSCursorResource {

wxCursor* Load(const wxString& pName) {
    for (const TCursorImage& cursor : theCursorImages) {
        if (pName.CmpNoCase(cursor.aName) != 0)
            continue;
        wxImage image(cursor.aXpm);
        image.SetOption(wxIMAGE_OPTION_CUR_HOTSPOT_X, cursor.aHotX);
        image.SetOption(wxIMAGE_OPTION_CUR_HOTSPOT_Y, cursor.aHotY);
        return new wxCursor(image);
    }
    return new wxCursor();
}

} // namespace NSCursorResource
