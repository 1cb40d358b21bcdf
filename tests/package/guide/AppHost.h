// Start-up: a host with a window of its own, built on the reference host's object. TZVHost
// (host/Host.cpp) installs itself, while it lives, as the module's current project, row and
// time selections, panel builder and editor listener; TZVProjectFile::Load installs the media
// library and the graph colours. An application overrides what its window does with the
// module's notices, and routes the module's assertion reports.
#pragma once

#include "host/Host.h"

#include <wx/string.h>

#include <iostream>

class TAppHost : public TZVHost {
public:
    // Notes go to standard error; a medium that changed since the project was saved is
    // accepted (a window would ask the user in DoQueryBox).
    TAppHost() : TZVHost(true, std::cerr) {}

    // The timeline draws the keys of pRow within pRange again.
    void DoParamKeyEdit(const TZVParamRow*, const TRange&) override { ++aKeyEdits; }

    int aKeyEdits = 0;

    // The module's failed internal checks (wxWidgets would open a dialog for each): shown and
    // counted. The module goes on after each.
    static void ReportAssert(const wxString& pFile, int pLine, const wxString& pFunction,
                             const wxString& pCondition, const wxString& pMessage) {
        ++theAssertCount;
        std::cerr << "assertion \"" << pCondition.utf8_string() << "\" failed in "
                  << pFunction.utf8_string() << " (" << pFile.utf8_string() << ":" << pLine << ") "
                  << pMessage.utf8_string() << "\n";
    }
    static inline int theAssertCount = 0;
};
