#include "DLL/Row/BaseRow.h"

#include "ALL/Error.h"
#include "DLL/Row/ParamRow.h"

#include "support/FakeRows.h"
#include "support/TestStreamRow.h"
#include "support/XmlText.h"

#include <wx/xml/xml.h>

#include <gtest/gtest.h>

#include <memory>

namespace {

// A project that counts the times it is asked for its root.
class TCountingProject : public TFakeProject {
public:
    using TFakeProject::TFakeProject;
    TZVStreamRow* GetRootRow() const override {
        ++aAsked;
        return aRoot;
    }
    mutable int aAsked = 0;
};

// A root with one band at 0 and the test stream Clip under it (parameters 1 and 2), as the current
// project.
class RowPath : public testing::Test {
protected:
    RowPath() : aRoot({{0, 24}}), aProject(&aRoot) {
        aRoot.MakeRoot();
        aClip.CreateDefault(L"Clip");
        aClip.SetStreamParent(&aRoot, true);
    }

    wxString Text(const wxXmlNode& pNode) { return XmlText(pNode); }

    TFakeRootRow aRoot;
    TCountingProject aProject;
    TTestStreamRow aClip;
};

} // namespace

TEST_F(RowPath, StepsStandTopDownInFrontOfWhatTheNodeHeld) {
    const std::unique_ptr<wxXmlNode> rootPath(TZVBaseRow::CreatePath(&aRoot));
    EXPECT_EQ(Text(*rootPath), L"<p/>");
    const std::unique_ptr<wxXmlNode> paramPath(TZVBaseRow::CreatePath(aClip.aParamTab[1]));
    EXPECT_EQ(Text(*paramPath), L"<p><source path=\"Clip\"/><param path=\"2\"/></p>");

    const std::unique_ptr<wxXmlNode> node(ParseXml(L"<graph><old/></graph>"));
    aClip.aParamTab[0]->BuildPath(node.get());
    EXPECT_EQ(Text(*node), L"<graph><source path=\"Clip\"/><param path=\"1\"/><old/></graph>");

    const std::unique_ptr<wxXmlNode> record(ParseXml(L"<r><old/></r>"));
    const wxXmlNode* path = aClip.GetPath(record.get());
    EXPECT_EQ(path, record->GetChildren());
    EXPECT_EQ(Text(*record), L"<r><p><source path=\"Clip\"/></p><old/></r>");

    const std::unique_ptr<wxXmlNode> steps(ParseXml(L"<p/>"));
    wxXmlNode* first = TZVBaseRow::AddPathNode(L"mixer", L"A", steps.get(), nullptr);
    TZVBaseRow::AddPathNode(L"mixer", L"B", steps.get(), nullptr);
    TZVBaseRow::AddPathNode(L"source", L"C", steps.get(), first);
    aClip.aParamTab[1]->BuildPathStep(steps.get(), first);
    EXPECT_EQ(Text(*steps), L"<p><mixer path=\"B\"/><mixer path=\"A\"/><param path=\"2\"/>"
                            L"<source path=\"C\"/></p>");
}

TEST_F(RowPath, ParameterStepsAreReadByNumber) {
    const std::unique_ptr<wxXmlNode> empty(ParseXml(L"<p/>"));
    EXPECT_EQ(TZVBaseRow::GetRowFromPath(empty.get(), nullptr), &aRoot);
    EXPECT_EQ(TZVBaseRow::GetRowFromPath(empty.get(), &aClip), &aClip);

    // {step, the parameter (-1: the message)}
    const struct {
        const wchar_t* aStep;
        int aParam;
        const wchar_t* aError;
    } cases[] = {
        {L"<param path=\"1\"/>", 0, L""},
        {L"<param path=\"2\"/>", 1, L""},
        {L"<param path=\"0\"/>", -1, L"'0' is not a valid parameter number of Clip"},
        {L"<param path=\"3\"/>", -1, L"'3' is not a valid parameter number of Clip"},
        {L"<param path=\"4294967297\"/>", -1,
         L"'4294967297' is not a valid parameter number of Clip"},
        {L"<param path=\"x\"/>", -1, L"'x' is not a valid parameter number of Clip"},
        {L"<param/>", -1, L"'' is not a valid parameter number of Clip"},
        {L"<source path=\"1\"/>", -1, L"Source Clip cannot have a source"},
    };
    for (const auto& c : cases) {
        const std::unique_ptr<wxXmlNode> path(ParseXml(wxString(L"<p>") + c.aStep + L"</p>"));
        try {
            const TZVBaseRow* row = TZVBaseRow::GetRowFromPath(path.get(), &aClip);
            EXPECT_EQ(row, c.aParam < 0 ? nullptr : aClip.aParamTab[size_t(c.aParam)]) << c.aStep;
            EXPECT_EQ(wxString(), c.aError) << c.aStep;
        } catch (const TError& error) {
            EXPECT_EQ(error, c.aError) << c.aStep;
        }
    }
}

TEST_F(RowPath, RowsAtAPixelNeedAProjectAndAPositiveY) {
    EXPECT_EQ(TZVBaseRow::GetRowAt(-1), nullptr);
    EXPECT_EQ(aProject.aAsked, 0);
    EXPECT_EQ(TZVBaseRow::GetRowAt(5), &aRoot.Row(0));
    EXPECT_EQ(aProject.aAsked, 1);

    const std::unique_ptr<wxXmlNode> empty(ParseXml(L"<p/>"));
    IZVProject* const current = IZVProject::theCurrentProject;
    IZVProject::theCurrentProject = nullptr;
    EXPECT_EQ(TZVBaseRow::GetRowAt(5), nullptr);
    EXPECT_EQ(TZVBaseRow::GetRowFromPath(empty.get(), nullptr), nullptr);
    IZVProject::theCurrentProject = current;
}
