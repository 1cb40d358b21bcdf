// Graph slot XML: any document is read as slot assignments and as colours over a fixed tree
// (the source "A" and the mixer "Main" holding the source "Clip"). Afterwards every held slot
// and its row name each other, no row holds two, and what is written reads back the same.
#include "DLL/Row/ParamGraph.h"

#include "ALL/Error.h"
#include "DLL/Row/ParamRow.h"
#include "FuzzInput.h"
#include "support/FakeRows.h"
#include "support/TestContainerRows.h"

#include <wx/log.h>
#include <wx/mstream.h>

#include <memory>

namespace {

struct TTree {
    TTree() : aRoot(MakeTestRoot()), aProject(aRoot.get()) {
        TTestMixerRow* main = MakeRow<TTestMixerRow>(L"Main");
        aRoot->InsertSource(main, nullptr);
        main->InsertSource(MakeRow<TTestSourceRow>(L"Clip"), nullptr);
        aRoot->InsertSource(MakeRow<TTestSourceRow>(L"A"), nullptr);
        aRoot->ListParam(aParams);
    }
    std::unique_ptr<TTestMixerRow> aRoot;
    TFakeProject aProject;
    std::list<TZVParamRow*> aParams;
};

TTree& Tree() {
    static TTree theTree;
    return theTree;
}

bool SlotsConsistent() {
    int held = 0;
    for (int slot = 0; slot < GRAPH_SLOT_COUNT; ++slot)
        if (const TZVParamRow* row = GraphGetParam(slot)) {
            ++held;
            if (row->aGraphSlot != slot)
                return false;
        }
    for (const TZVParamRow* param : Tree().aParams)
        if (param->aGraphSlot >= 0 && --held < 0)
            return false;
    return held == 0;
}

std::unique_ptr<wxXmlNode> Saved(void (*pSave)(wxXmlNode*)) {
    std::unique_ptr<wxXmlNode> node(new wxXmlNode(wxXML_ELEMENT_NODE, L"g"));
    pSave(node.get());
    return node;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t pSize) {
    Tree();
    ParamGraphStaticInit();
    wxMemoryInputStream input(pData, pSize);
    wxXmlDocument document;
    {
        const wxLogNull quiet;
        if (!document.Load(input) || !document.GetRoot())
            return 0;
    }
    try {
        GraphLoadXml(document.GetRoot());
    } catch (const TError&) {
    }
    GraphLoadColoursXml(document.GetRoot());
    Require(SlotsConsistent());

    const std::unique_ptr<wxXmlNode> slots = Saved(GraphSaveXml);
    const std::unique_ptr<wxXmlNode> colours = Saved(GraphSaveColoursXml);
    ParamGraphStaticInit();
    GraphSetDefaultColours();
    GraphLoadXml(slots.get());
    GraphLoadColoursXml(colours.get());
    Require(SlotsConsistent());
    Require(SameXml(Saved(GraphSaveXml).get(), slots.get()));
    Require(SameXml(Saved(GraphSaveColoursXml).get(), colours.get()));
    return 0;
}
