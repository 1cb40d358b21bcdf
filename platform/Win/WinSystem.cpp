#include "WinSystem.h"

#include <cstring>

wxString WinFormatSystemMessage(uint32_t pCode) {
    if (pCode > 0x7FFFFFFFu)
        return wxString();
    const char* description = strerrordesc_np(int(pCode));
    if (!description)
        return wxString();
    return wxString::FromUTF8(description) + wxT("\r\n");
}
