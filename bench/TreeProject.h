// The tree-build project of the benchmarks: 10 mixers x 200 sources with 2 filters each, every
// filter parameter keyed with 50 keys, all over one sequence 0 to 1000. Header only.
#pragma once

#include <wx/mstream.h>
#include <wx/string.h>
#include <wx/xml/xml.h>

#include <memory>
#include <string>

namespace NSTreeProject {

// The time every row's one sequence ends at.
const long DURATION = 1000;

inline const wchar_t* Sequence() {
    return L"<seq-list><seg begin=\"0\" end=\"1000\"/></seq-list>";
}

inline wxString Filter(int pIndex) {
    wxString keys;
    for (int k = 0; k < 50; ++k)
        keys += wxString::Format(L"<key time=\"%d\" to=\"%d\" kind=\"1\"/>", k * 20, k * 20 + 20);
    return wxString::Format(L"<filter type=\"Opacity\" name=\"F%d\">", pIndex) + Sequence() +
           L"<param-list shown=\"0\"><param type=\"Standard\" name=\"Opacity\"><value>" + keys +
           L"</value></param></param-list><mask shown=\"0\"/></filter>";
}

inline wxString Project() {
    const wxString filters = Filter(1) + Filter(2);
    wxString mixers;
    for (int m = 0; m < 10; ++m) {
        wxString sources;
        for (int s = 0; s < 200; ++s)
            sources += wxString::Format(L"<source type=\"Empty\" name=\"S%d\">", s) + Sequence() +
                       L"<param-list shown=\"0\"/><fltr-list shown=\"1\">" + filters +
                       L"</fltr-list></source>";
        mixers += wxString::Format(L"<mixer type=\"test-mix\" name=\"M%d\">", m) + Sequence() +
                  L"<param-list shown=\"0\"/><fltr-list shown=\"0\"/><src-list shown=\"1\">" +
                  sources + L"</src-list></mixer>";
    }
    return L"<mixer type=\"test-mix\" name=\"Project\">" + wxString(Sequence()) +
           L"<param-list shown=\"0\"/><fltr-list shown=\"0\"/><src-list shown=\"1\">" + mixers +
           L"</src-list></mixer>";
}

// The project's text in UTF-8, made once.
inline const std::string& ProjectText() {
    static const std::string theText = Project().utf8_string();
    return theText;
}

// The project parsed into a document.
inline std::unique_ptr<wxXmlDocument> Load() {
    wxMemoryInputStream input(ProjectText().data(), ProjectText().length());
    return std::make_unique<wxXmlDocument>(input);
}

} // namespace NSTreeProject
