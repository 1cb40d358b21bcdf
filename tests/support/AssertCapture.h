// Assertion reports in tests. The module reports a failed check and goes on, so a report
// that no test expects would otherwise pass silently: the recording handler turns every
// report into a test failure unless a TAssertCapture is alive to collect it.
#pragma once

#include "support/WxPrint.h"

#include <wx/string.h>

#include <gtest/gtest.h>

#include <vector>

struct TAssertReport {
    wxString aFile;
    int aLine;
    wxString aFunction;
    wxString aCondition;
};

class TAssertCapture {
public:
    TAssertCapture();
    ~TAssertCapture();
    TAssertCapture(const TAssertCapture&) = delete;
    TAssertCapture& operator=(const TAssertCapture&) = delete;

    const std::vector<TAssertReport>& Reports() const { return aReports; }
    // The condition texts, in the order they were reported.
    std::vector<wxString> Conditions() const;

    // Installs the recording handler; called once by the test main.
    static void InstallHandler();

private:
    static void Handler(const wxString& pFile, int pLine, const wxString& pFunction,
                        const wxString& pCondition, const wxString& pMessage);

    std::vector<TAssertReport> aReports;
    TAssertCapture* aOuter;
};

// Runs the statement and expects exactly the given reports, in order (the statement returns
// normally, so the code went on).
#define EXPECT_ASSERTS(statement, ...)                                                             \
    do {                                                                                           \
        TAssertCapture zvCapture;                                                                  \
        statement;                                                                                 \
        EXPECT_EQ(zvCapture.Conditions(), (std::vector<wxString>{__VA_ARGS__}))                    \
            << "while running " #statement;                                                        \
    } while (false)
