#include "DLL/Row/ParamGraph.h"

#include "ALL/Error.h"
#include "DLL/Row/ParamRow.h"

#include "support/AssertCapture.h"
#include "support/FakeRows.h"
#include "support/TestContainerRows.h"
#include "support/XmlText.h"

#include <wx/xml/xml.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

// Sources A to D (three parameters each, twelve in all) under the project's root, and the
// table as at load.
class ParamGraph : public testing::Test {
protected:
    ParamGraph() : aRoot(MakeTestRoot()), aProject(aRoot.get()) {
        ParamGraphStaticInit();
        for (const wchar_t* name : {L"A", L"B", L"C", L"D"}) {
            TTestSourceRow* source = MakeRow<TTestSourceRow>(name);
            aRoot->InsertSource(source, nullptr);
            aParams.insert(aParams.end(), source->aParamTab.begin(), source->aParamTab.end());
        }
    }
    ~ParamGraph() override { ParamGraphStaticInit(); }

    TZVParamRow* Param(int pIndex) const { return aParams.at(size_t(pIndex)); }
    // The slots, each "-" when free, else its row's position in aParams as a hex digit
    // ("?" for a row not in it).
    std::string Slots() const {
        std::string text;
        for (int slot = 0; slot < GRAPH_SLOT_COUNT; ++slot) {
            const TZVParamRow* row = GraphGetParam(slot);
            if (row && row->aGraphSlot != slot)
                return "slot " + std::to_string(slot) + " holds a row that names another";
            text += row ? "0123456789ab?"[std::find(aParams.begin(), aParams.end(), row) -
                                           aParams.begin()]
                        : '-';
        }
        return text;
    }
    wxString SavedGraph() const {
        wxXmlNode node(wxXML_ELEMENT_NODE, L"g");
        GraphSaveXml(&node);
        return XmlText(node);
    }
    void LoadGraph(const wxString& pXml) {
        const std::unique_ptr<wxXmlNode> node(ParseXml(pXml));
        GraphLoadXml(node.get());
    }

    std::unique_ptr<TTestMixerRow> aRoot;
    TFakeProject aProject;
    std::vector<TZVParamRow*> aParams;
};

std::vector<uint32_t> Colours() {
    const TGraphSlotList list(false);
    std::vector<uint32_t> colours;
    for (int i = 0; i < list.aCount; ++i)
        colours.push_back(list.aEntries[i].aColour);
    return colours;
}

wxString SavedColours() {
    wxXmlNode node(wxXML_ELEMENT_NODE, L"c");
    GraphSaveColoursXml(&node);
    return XmlText(node);
}

} // namespace

TEST_F(ParamGraph, SlotsAreHandedOutFromTheTopAndARowHoldsOneAtMost) {
    EXPECT_EQ(GraphAddParam(Param(0), 8), 8);
    EXPECT_EQ(GraphAddParam(Param(1), 7), 7);
    EXPECT_EQ(GraphAddParam(Param(2), -1), 6);
    EXPECT_EQ(GraphAddParam(Param(3), 7), -1);
    EXPECT_EQ(Slots(), "------210");
    // A row that holds a slot leaves it for the new one; its own slot counts as free.
    EXPECT_EQ(GraphAddParam(Param(0), 2), 2);
    EXPECT_EQ(GraphAddParam(Param(1), -1), 8);
    EXPECT_EQ(GraphAddParam(Param(1), 8), 8);
    EXPECT_EQ(Slots(), "--0---2-1");
    for (int i = 3; i < 9; ++i)
        GraphAddParam(Param(i), -1);
    EXPECT_EQ(Slots(), "870654231");
    EXPECT_EQ(GraphAddParam(Param(9), -1), -1);
    // Full table: a held row keeps its slot whatever it asks for.
    EXPECT_EQ(GraphAddParam(Param(2), 0), -1);
    EXPECT_EQ(GraphAddParam(Param(2), -1), 6);
    EXPECT_EQ(Slots(), "870654231");
}

TEST_F(ParamGraph, UnknownSlotsChangeNothing) {
    GraphAddParam(Param(0), 0);
    GraphSetDefaultColours();
    const std::vector<uint32_t> colours = Colours();
    EXPECT_EQ(GraphAddParam(Param(1), -5), 8);
    EXPECT_EQ(GraphAddParam(Param(1), 9), -1);
    for (int slot : {-1, 9}) {
        EXPECT_EQ(GraphGetParam(slot), nullptr);
        EXPECT_ASSERTS(GraphSetColour(slot, 0x123456); RemoveParam(slot),
                       L"IsSlot(pSlot)", L"IsSlot(pSlot)");
        EXPECT_ASSERTS(EXPECT_EQ(GraphSwapColour(0, slot), nullptr), L"IsSlot(pA) && IsSlot(pB)");
    }
    EXPECT_ASSERTS(RemoveParam(4), L"Param != __null");
    EXPECT_EQ(Colours(), colours);
    EXPECT_EQ(Slots(), "0-------1");
    RemoveParam(8);
    EXPECT_EQ(Param(1)->aGraphSlot, -1);
    EXPECT_EQ(Slots(), "0--------");
}

TEST_F(ParamGraph, ColoursStartAtZeroAndOnlyThoseOffThePaletteAreWritten) {
    EXPECT_EQ(Colours(), std::vector<uint32_t>(9, 0));
    EXPECT_EQ(SavedColours(),
              L"<c><color idx=\"0\" color=\"000000\"/><color idx=\"1\" color=\"000000\"/>"
              L"<color idx=\"2\" color=\"000000\"/><color idx=\"3\" color=\"000000\"/>"
              L"<color idx=\"4\" color=\"000000\"/><color idx=\"5\" color=\"000000\"/>"
              L"<color idx=\"6\" color=\"000000\"/><color idx=\"7\" color=\"000000\"/>"
              L"<color idx=\"8\" color=\"000000\"/></c>");
    GraphSetDefaultColours();
    EXPECT_EQ(SavedColours(), L"<c/>");
    GraphAddParam(Param(3), 5);
    GraphAddParam(Param(4), 4);
    EXPECT_EQ(GraphSwapColour(2, 5), Param(3));
    GraphSetColour(8, 0xABCDEF);
    const wxString saved = SavedColours();
    EXPECT_EQ(saved, L"<c><color idx=\"2\" color=\"7F00FF\"/><color idx=\"5\" color=\"80FFFF\"/>"
                     L"<color idx=\"8\" color=\"ABCDEF\"/></c>");
    GraphSetDefaultColours();
    const std::unique_ptr<wxXmlNode> node(ParseXml(saved));
    GraphLoadColoursXml(node.get());
    EXPECT_EQ(SavedColours(), saved);
    GraphAddParam(Param(0), 0);
    const TGraphSlotList free(true);
    std::vector<int> slots;
    for (int i = 0; i < free.aCount; ++i)
        slots.push_back(free.aEntries[i].aSlot);
    EXPECT_EQ(slots, (std::vector<int>{1, 2, 3, 6, 7, 8}));
    EXPECT_EQ(free.aEntries[1].aColour, 0x7F00FFu);
}

TEST_F(ParamGraph, ColourReaderTakesSixHexDigitsBelowWhite) {
    // Slot 0 starts at 0x111111; each element tries to set it.
    const struct {
        const wchar_t* aElement;
        uint32_t aColour;
    } cases[] = {
        {L"<color idx=\"0\" color=\"FFFFFE\"/>", 0xFFFFFE},
        {L"<any idx=\"0\" color=\"abc\"/>", 0xABC},
        {L"<color idx=\"0\" color=\"FFFFFF\"/>", 0x111111},
        {L"<color idx=\"0\" color=\"1000000\"/>", 0x111111},
        {L"<color idx=\"0\" color=\"-1\"/>", 0x111111},
        {L"<color idx=\"0\"/>", 0x111111},
        {L"<color idx=\"9\" color=\"123456\"/>", 0x111111},
    };
    for (const auto& c : cases) {
        ParamGraphStaticInit();
        GraphSetColour(0, 0x111111);
        const std::unique_ptr<wxXmlNode> node(ParseXml(wxString(L"<c>") + c.aElement + L"</c>"));
        GraphLoadColoursXml(node.get());
        EXPECT_EQ(Colours(), (std::vector<uint32_t>{c.aColour, 0, 0, 0, 0, 0, 0, 0, 0}))
            << c.aElement;
    }
}

TEST_F(ParamGraph, AssignmentsAreWrittenAsPathsAndReadBack) {
    GraphAddParam(Param(1), 0);
    GraphAddParam(Param(11), 8);
    GraphAddParam(Param(3), 4);
    const wxString saved = SavedGraph();
    EXPECT_EQ(saved, L"<g><graph idx=\"0\"><source path=\"A\"/><param path=\"2\"/></graph>"
                     L"<graph idx=\"4\"><source path=\"B\"/><param path=\"1\"/></graph>"
                     L"<graph idx=\"8\"><source path=\"D\"/><param path=\"3\"/></graph></g>");
    GraphAddParam(Param(5), 2);
    LoadGraph(saved);
    EXPECT_EQ(Slots(), "1---3---b");
    EXPECT_EQ(Param(5)->aGraphSlot, -1);
    // Skipped: a bad or missing "idx", a source row, a taken slot; a row named again moves.
    LoadGraph(L"<g><x idx=\"9\"><source path=\"A\"/><param path=\"1\"/></x>"
              L"<x><source path=\"A\"/><param path=\"1\"/></x>"
              L"<x idx=\"1\"><source path=\"A\"/></x>"
              L"<x idx=\"2\"><source path=\"B\"/><param path=\"3\"/></x>"
              L"<x idx=\"2\"><source path=\"C\"/><param path=\"1\"/></x>"
              L"<x idx=\"3\"><source path=\"B\"/><param path=\"3\"/></x>"
              L"<x idx=\"6\"/></g>");
    EXPECT_EQ(Slots(), "---5-----");
    // A path that does not resolve throws; the slots filled before it stay.
    EXPECT_THROW(LoadGraph(L"<g><graph idx=\"1\"><source path=\"C\"/><param path=\"2\"/></graph>"
                           L"<graph idx=\"2\"><source path=\"E\"/></graph>"
                           L"<graph idx=\"3\"><source path=\"C\"/><param path=\"3\"/></graph></g>"),
                 TError);
    EXPECT_EQ(Slots(), "-7-------");
}

TEST_F(ParamGraph, ADyingRowFreesItsSlotAndLeavesNoOtherBehind) {
    TTestSourceRow* loose = MakeRow<TTestSourceRow>(L"Loose");
    GraphAddParam(loose->aParamTab[0], 1);
    GraphAddParam(loose->aParamTab[0], 2);
    GraphAddParam(loose->aParamTab[2], 5);
    GraphAddParam(Param(0), 7);
    delete loose;
    EXPECT_EQ(Slots(), "-------0-");
    EXPECT_EQ(SavedGraph(), L"<g><graph idx=\"7\"><source path=\"A\"/><param path=\"1\"/></graph></g>");
}
