// The named cursors that the module carries in place of the Windows application's cursor
// resources ("HoriSize", "VertSize", "AllSize", "SlashSize", "BackSize", "Invalid",
// "RotSize"): 16 x 16 images compiled into the library, each with its own hot spot.
#pragma once

#include <wx/cursor.h>
#include <wx/string.h>

namespace NSCursorResource {

// A new cursor made from the resource of that name (names compare without case, as resource
// names do); an invalid cursor when there is none. The caller owns the result.
wxCursor* Load(const wxString& pName);

} // namespace NSCursorResource
