#include "support/AssertCapture.h"

#include <wx/debug.h>

#include <mutex>

namespace {

TAssertCapture* theCurrent = nullptr;
std::mutex theLock;

} // namespace

void TAssertCapture::Handler(const wxString& pFile, int pLine, const wxString& pFunction,
                             const wxString& pCondition, const wxString& pMessage) {
    std::lock_guard<std::mutex> lock(theLock);
    if (theCurrent) {
        theCurrent->aReports.push_back({pFile, pLine, pFunction, pCondition});
        return;
    }
    ADD_FAILURE() << "unexpected assertion report \"" << pCondition.utf8_str() << "\" in "
                  << pFunction.utf8_str() << " at " << pFile.utf8_str() << ":" << pLine
                  << (pMessage.empty() ? "" : ": ") << pMessage.utf8_str();
}

TAssertCapture::TAssertCapture() {
    std::lock_guard<std::mutex> lock(theLock);
    aOuter = theCurrent;
    theCurrent = this;
}

TAssertCapture::~TAssertCapture() {
    std::lock_guard<std::mutex> lock(theLock);
    theCurrent = aOuter;
}

std::vector<wxString> TAssertCapture::Conditions() const {
    std::vector<wxString> conditions;
    for (const TAssertReport& report : aReports)
        conditions.push_back(report.aCondition);
    return conditions;
}

void TAssertCapture::InstallHandler() {
    wxSetAssertHandler(Handler);
}
