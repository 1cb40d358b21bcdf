#include "DLL/Row/BaseRow.h"

#include "ALL/Error.h"
#include "DLL/Row/ParamRow.h"

#include "support/TestStreamRow.h"
#include "support/XmlText.h"

#include <wx/xml/xml.h>

#include <gtest/gtest.h>

#include <memory>

namespace {

// A root with one band at 0 and the test stream Clip under it, as the current project.
class RowPath : public testing::Test {
protected:
    RowPath() : aRoot({{0, 24}}), aProject(&aRoot) {
        aRoot.MakeRoot();
        aClip.CreateDefault(L"Clip");
        aClip.SetStreamParent(&aRoot, true);
    }

    TFakeRootRow aRoot;
    TFakeProject aProject;
    TTestStreamRow aClip;
};

} // namespace

TEST_F(RowPath, StepsStandTopDownInFrontOfWhatTheNodeHeld) {
    const std::unique_ptr<wxXmlNode> root(TZVBaseRow::CreatePath(&aRoot));
    const std::unique_ptr<wxXmlNode> param(TZVBaseRow::CreatePath(aClip.aParamTab[1]));
    const std::unique_ptr<wxXmlNode> node(ParseXml(L"<r><old/></r>"));
    aClip.aParamTab[0]->BuildPath(node.get());
    const wxXmlNode* path = aClip.GetPath(node.get());
    EXPECT_EQ(path, node->GetChildren());
    wxXmlNode* first = TZVBaseRow::AddPathNode(L"mixer", L"A", node.get(), nullptr);
    TZVBaseRow::AddPathNode(L"mixer", L"B", node.get(), nullptr);
    aClip.aParamTab[1]->BuildPathStep(node.get(), first);
    EXPECT_EQ(XmlText(*root) + XmlText(*param) + XmlText(*node),
              L"<p/><p><source path=\"Clip\"/><param path=\"2\"/></p><r><mixer path=\"B\"/>"
              L"<mixer path=\"A\"/><param path=\"2\"/><p><source path=\"Clip\"/></p>"
              L"<source path=\"Clip\"/><param path=\"1\"/><old/></r>");
}

TEST_F(RowPath, ParameterStepsAreReadByNumber) {
    const std::unique_ptr<wxXmlNode> empty(ParseXml(L"<p/>"));
    EXPECT_EQ(TZVBaseRow::GetRowFromPath(empty.get(), nullptr), &aRoot);
    EXPECT_EQ(TZVBaseRow::GetRowFromPath(empty.get(), &aClip), &aClip);
    // {step, the parameter, or the message}
    const struct {
        const wchar_t* aStep;
        int aParam;
        const wchar_t* aError;
    } cases[] = {
        {L"<param path=\"1\"/>", 0, L""},
        {L"<param path=\"2\"/>", 1, L""},
        {L"<param path=\"0\"/>", -1, L"'0' is not a valid parameter number of Clip"},
        {L"<param path=\"3\"/>", -1, L"'3' is not a valid parameter number of Clip"},
        {L"<param path=\"x\"/>", -1, L"'x' is not a valid parameter number of Clip"},
        {L"<param/>", -1, L"'' is not a valid parameter number of Clip"},
        {L"<source path=\"1\"/>", -1, L"Source Clip cannot have a source"},
    };
    for (const auto& c : cases) {
        const std::unique_ptr<wxXmlNode> path(ParseXml(wxString(L"<p>") + c.aStep + L"</p>"));
        try {
            const TZVBaseRow* row = TZVBaseRow::GetRowFromPath(path.get(), &aClip);
            EXPECT_EQ(row, aClip.aParamTab.at(size_t(c.aParam)));
        } catch (const TError& error) {
            EXPECT_EQ(error, c.aError) << c.aStep;
        }
    }
}

TEST_F(RowPath, RowsAtAPixelNeedAProjectAndAPositiveY) {
    EXPECT_EQ(TZVBaseRow::GetRowAt(-1), nullptr);
    EXPECT_EQ(TZVBaseRow::GetRowAt(5), &aRoot.Row(0));
    const std::unique_ptr<wxXmlNode> empty(ParseXml(L"<p/>"));
    IZVProject::theCurrentProject = nullptr;
    EXPECT_EQ(TZVBaseRow::GetRowAt(5), nullptr);
    EXPECT_EQ(TZVBaseRow::GetRowFromPath(empty.get(), nullptr), nullptr);
    IZVProject::theCurrentProject = &aProject;
}
