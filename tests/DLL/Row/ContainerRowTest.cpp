#include "DLL/Row/FilterRow.h"
#include "DLL/Row/MixerRow.h"
#include "DLL/Row/SourceRow.h"

#include "ALL/Error.h"
#include "DLL/Row/ParamRow.h"

#include "GainFilterRow.h"
#include "OpacityFilterRow.h"
#include "support/AssertCapture.h"
#include "support/TestContainerRows.h"
#include "support/XmlText.h"

#include <wx/arrstr.h>
#include <wx/xml/xml.h>

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

const wchar_t* const SEQ = L"<seq-list><seg begin=\"0\" end=\"10\"/></seq-list>";

wxString Params(int pCount) {
    if (pCount == 0)
        return L"<param-list shown=\"0\"/>";
    wxString params = L"<param-list shown=\"0\">";
    for (int i = 1; i <= pCount; ++i)
        params += wxString::Format(L"<param type=\"Standard\" name=\"p%d\"><value/></param>", i);
    return params + L"</param-list>";
}

wxString Filters(const wxString& pFilters, const wxString& pShown = L"0") {
    return pFilters.empty() ? L"<fltr-list shown=\"" + pShown + L"\"/>"
                            : L"<fltr-list shown=\"" + pShown + L"\">" + pFilters + L"</fltr-list>";
}

wxString Clip(const wxString& pName, const wxString& pFilters = wxString()) {
    return L"<source type=\"clip\" name=\"" + pName + L"\">" + SEQ + Params(3) + Filters(pFilters) +
           L"</source>";
}

wxString Mixer(const wxString& pName, const wxString& pSources,
               const wxString& pFilters = wxString()) {
    return L"<mixer type=\"test-mix\" name=\"" + pName + L"\">" + SEQ + Params(0) +
           Filters(pFilters) + L"<src-list shown=\"1\">" + pSources + L"</src-list></mixer>";
}

wxString Opacity(const wxString& pName, const wxString& pMask = wxString(),
                 const wxString& pShown = L"0") {
    const wxString head = L"<filter type=\"Opacity\" name=\"" + pName + L"\">" + SEQ +
                          L"<param-list shown=\"0\"><param type=\"Standard\" name=\"Opacity\">"
                          L"<value/></param></param-list><mask shown=\"" +
                          pShown + L"\"";
    return head + (pMask.empty() ? L"/>" : L">" + pMask + L"</mask>") + L"</filter>";
}

wxString Replaced(wxString pText, const wxString& pFrom, const wxString& pTo) {
    pText.Replace(pFrom, pTo);
    return pText;
}

// A second factory claiming the "Empty" sub-type, for clips.
class TOtherEmptyFactory : public IObjectFactory<TZVSimpleSourceRow> {
public:
    TOtherEmptyFactory() : IObjectFactory<TZVSimpleSourceRow>(-1) {}
    void CreateDialog(wxScrolledWindow*) override {}
    wxIcon* GetIcon() override { return nullptr; }
    wxString GetSubType() override { return L"Empty"; }
    TZVSimpleSourceRow* Create() const override { return new TTestSourceRow; }
    bool HasVideo() override { return false; }
};

// A root mixer (shown at 0, its sources shown) for trees read from elements.
class Containers : public testing::Test {
protected:
    Containers() : aRoot(MakeTestRoot()) {}

    // Reads pText under pParent (the root by default).
    TZVStreamRow* Read(const wxString& pText, TZVStreamRow* pParent = nullptr) {
        const std::unique_ptr<wxXmlNode> node(ParseXml(pText));
        const wxXmlNode* element = node.get();
        return TZVStreamRow::Create(element, pParent ? pParent : aRoot.get(), nullptr);
    }
    wxString Message(const wxString& pText, TZVStreamRow* pParent = nullptr) {
        try {
            Read(pText, pParent);
        } catch (const TError& error) {
            return error;
        }
        return L"(read)";
    }
    wxString Image(const TZVBaseRow* pRow) {
        const std::unique_ptr<wxXmlNode> node(pRow->GetXmlImage());
        return XmlText(*node);
    }

    std::unique_ptr<TTestMixerRow> aRoot;
};

} // namespace

TEST(IncName, AddsToTheTrailingDigitRunOrAppendsACount) {
    const struct {
        const wchar_t* aBase;
        int aK;
        const wchar_t* aName;
    } cases[] = {{L"Blur", 1, L"Blur-1"},
                 {L"Blur07", 1, L"Blur08"},
                 {L"Blur9", 1, L"Blur10"},
                 {L"Blur-1", 1, L"Blur-2"},
                 {L"007", 3, L"010"},
                 {L"", 1, L"-1"},
                 {L"x99999999999999999999", 1, L"x100000000000000000000"},
                 {L"Take\u0665", 2, L"Take\u0665-2"},
                 {L"a5", 1234, L"a1239"}};
    for (const auto& c : cases)
        EXPECT_EQ(TZVSourceRow::incName(c.aBase, c.aK), c.aName) << c.aBase << " + " << c.aK;
}

// Sources are named by the same rule, checked against the literal rescan below.
TEST_F(Containers, OnlyTheNewcomerIsRenamedToTheFirstFreeName) {
    TZVSourceRow* source = MakeRow<TTestSourceRow>(L"S");
    aRoot->InsertSource(source, nullptr);
    for (const wchar_t* name : {L"Blur", L"Blur-1", L"Blur", L"Blur", L"Solo"})
        source->InsertFilter(MakeFilter(L"Opacity", name), nullptr);
    wxString names;
    for (const TZVFilterRow* filter : source->aFilterChildList)
        names += filter->aName + L" ";
    EXPECT_EQ(names, L"Blur Blur-1 Blur-2 Blur-3 Solo ");
    // A source list read from XML: a later source bearing a name an earlier rename gave.
    wxString sources;
    for (const wchar_t* name : {L"Blur", L"Blur-1", L"Blur", L"Blur", L"Blur-2", L"Solo"})
        sources += Clip(name);
    const auto* mixer = static_cast<const TZVMixerRow*>(Read(Mixer(L"M", sources)));
    names.clear();
    for (const TZVSourceRow* row : mixer->aSourceChildList)
        names += row->aName + L" ";
    EXPECT_EQ(names, L"Blur Blur-1 Blur-2 Blur-3 Blur-4 Solo ");
}

TEST_F(Containers, ReaderMessagesAndNothingHalfBuilt) {
    const wxString good = Opacity(L"A") + Opacity(L"B");
    const struct {
        wxString aText;
        const wchar_t* aMessage;
    } cases[] = {
        {Replaced(Clip(L"S"), L"fltr-list shown=\"0\"", L"fltr-list"),
         L"The property shown does not exist for Source clip S"},
        {L"<layer type=\"clip\" name=\"S\"/>", L"Invalid Layer Type: layer"},
        {L"<source type=\"nope\" name=\"S\"/>",
         L"No factory is registered for TZVSimpleSourceRow subtype nope"},
        {Clip(L"S", good + L"<filter type=\"nope\" name=\"C\"/>"),
         L"No factory is registered for TZVFilterRow subtype nope"},
        {Clip(L"S", Replaced(Opacity(L"F"), L"<mask shown=\"0\"/>", L"")),
         L"Mask data missing for Filter Opacity F"},
        {Clip(L"S", Opacity(L"F", wxString(), L"2")),
         L"Invalid mask show value for Filter Opacity F"},
        {Clip(L"S", Opacity(L"F", L"<layer/>")), L"Invalid Layer Type: layer"},
        {Replaced(Mixer(L"M", Clip(L"S")), L"src-list shown=\"1\"", L"src-list shown=\"on\""),
         L"Invalid source show value for Mixer test-mix M"},
        {Mixer(L"M", Clip(L"S") + Clip(L"T", Opacity(L"F", wxString(), L"-1"))),
         L"Invalid mask show value for Filter Opacity F"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Message(c.aText), c.aMessage) << c.aText;
    for (const wchar_t* shown : {L"2", L"yes"})
        EXPECT_EQ(Message(L"<source type=\"clip\" name=\"S\">" + wxString(SEQ) + Params(3) +
                          Filters(wxString(), shown) + L"</source>"),
                  L"Invalid filter show value for Source clip S")
            << shown;
    EXPECT_TRUE(aRoot->aSourceChildList.empty());
    EXPECT_EQ(aRoot->GetBottom(), 0);
}

TEST_F(Containers, ASecondFactoryOfASubTypeIsIgnored) {
    TOtherEmptyFactory second;
    EXPECT_FALSE(TZVSimpleSourceRow::RegisterFactory(&second));
    const std::unique_ptr<wxXmlNode> node(ParseXml(L"<source type=\"Empty\" name=\"E\"/>"));
    const wxXmlNode* element = node.get();
    const std::unique_ptr<TZVSimpleSourceRow> row(TZVSimpleSourceRow::Create(element));
    EXPECT_EQ(typeid(*row), typeid(TZVEmptySourceRow));
}

TEST_F(Containers, TreesWriteReadAndWriteAgainIdentically) {
    const wxString texts[] = {
        Replaced(Clip(L"Empty chain"), L"fltr-list shown=\"0\"", L"fltr-list shown=\"1\""),
        Clip(L"One", Opacity(L"No mask", wxString(), L"1")),
        Mixer(
            L"Outer",
            Mixer(L"Inner", Clip(L"A") + Clip(L"B", Opacity(L"F", Mixer(L"M", Clip(L"C")), L"1"))) +
                Clip(L"D", Opacity(L"G") + Opacity(L"H", Clip(L"Mask"))),
            Opacity(L"Top", Clip(L"E"), L"1")),
    };
    for (const wxString& text : texts) {
        TZVStreamRow* row = Read(text);
        EXPECT_EQ(Image(row), text);
        const wxString again = Image(row);
        delete row;
        EXPECT_EQ(Image(Read(again)), text);
    }
    // A mask element with two children: the first is the mask.
    TZVStreamRow* row = Read(Clip(L"S", Opacity(L"F", Clip(L"First") + Clip(L"Second"))));
    EXPECT_EQ(Image(row), Clip(L"S", Opacity(L"F", Clip(L"First"))));
}

TEST_F(Containers, PathsReachRowsByKindAndName) {
    Read(Mixer(L"Video", Clip(L"Clip", Opacity(L"F", Clip(L"M")) + Opacity(L"F-1"))));
    TZVMixerRow* video = static_cast<TZVMixerRow*>(aRoot->aSourceChildList.front());
    TZVSourceRow* clip = video->aSourceChildList.front();
    clip->aFilterChildList.back()->Rename(L"F");
    EXPECT_EQ(clip->aFilterChildList.back()->aName, L"F-1");

    const std::unique_ptr<wxXmlNode> path(TZVBaseRow::CreatePath(clip->aParamTab[2]));
    EXPECT_EQ(XmlText(*path),
              L"<p><mixer path=\"Video\"/><source path=\"Clip\"/><param path=\"3\"/></p>");
    EXPECT_EQ(TZVBaseRow::GetRowFromPath(path.get(), aRoot.get()), clip->aParamTab[2]);

    TZVFilterRow* first = clip->aFilterChildList.front();
    const struct {
        const wchar_t* aSteps;
        const TZVBaseRow* aRow;
        const wchar_t* aMessage;
    } cases[] = {
        {L"<mixer path=\"Video\"/><source path=\"Clip\"/><filter path=\"F\"/>", first, L""},
        {L"<mixer path=\"Video\"/><source path=\"Clip\"/><filter path=\"F\"/><param path=\"1\"/>",
         first->aParamTab[0], L""},
        {L"<mixer path=\"Video\"/><source path=\"Clip\"/><filter path=\"F\"/><source path=\"M\"/>"
         L"<param path=\"2\"/>",
         first->aMask->aParamTab[1], L""},
        {L"<mixer path=\"Video\"/><source path=\"Clip\"/><filter path=\"G\"/>", nullptr,
         L"filter G is not a filter of Clip"},
        {L"<mixer path=\"Video\"/><source path=\"Clip\"/><filter path=\"F\"/><mixer path=\"N\"/>",
         nullptr, L"mixer N is not the mask of F"},
        {L"<mixer path=\"Video\"/><source path=\"Nope\"/>", nullptr,
         L"source Nope is not a source of Video"},
        {L"<source path=\"Video\"/><filter path=\"F\"/>", nullptr,
         L"filter F is not a filter of Video"},
    };
    for (const auto& c : cases) {
        const std::unique_ptr<wxXmlNode> steps(ParseXml(L"<p>" + wxString(c.aSteps) + L"</p>"));
        wxString message;
        const TZVBaseRow* row = nullptr;
        try {
            row = TZVBaseRow::GetRowFromPath(steps.get(), aRoot.get());
        } catch (const TError& error) {
            message = error;
        }
        EXPECT_EQ(row, c.aRow) << c.aSteps;
        EXPECT_EQ(message, c.aMessage) << c.aSteps;
    }
}

namespace {

// The naming rule step by step: rescan from the front with the next candidate after each clash.
wxString LiteralFreeName(const wxString& pName, const std::vector<wxString>& pOthers) {
    wxString candidate = pName;
    for (int k = 1;; ++k) {
        bool clash = false;
        for (const wxString& other : pOthers)
            clash = clash || other == candidate;
        if (!clash)
            return candidate;
        candidate = TZVSourceRow::incName(pName, k);
    }
}

} // namespace

TEST_F(Containers, NamesAreThoseOfTheLiteralRescan) {
    const wxArrayString names = wxSplit(L"Clip,Clip-1,Clip-01,Clip1,Clip01,Clip001,Clip2,Clip-2,,"
                                        L"-1,9,10,Clip0,Clip-0,x99999999999999999999,"
                                        L"x100000000000000000000",
                                        ',');
    std::mt19937 random(5);
    std::vector<wxString> present;
    for (int i = 0; i < 400; ++i) {
        const wxString name = names[random() % names.size()];
        const wxString expected = LiteralFreeName(name, present);
        aRoot->InsertSource(MakeRow<TTestSourceRow>(name), nullptr);
        ASSERT_EQ(aRoot->aSourceChildList.back()->aName, expected) << i << " " << name;
        present.push_back(expected);
    }
}
