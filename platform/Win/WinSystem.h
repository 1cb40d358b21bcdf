// Stand-in for the Windows system-message service (FormatMessageW with system messages and
// ignored inserts): the message of an error code, from the C library's error descriptions.
#pragma once

#include <wx/string.h>

#include <cstdint>

// The message of a system error code, ending with "\r\n" as the system's messages do; the
// empty text when the system has no message for the code.
wxString WinFormatSystemMessage(uint32_t pCode);
