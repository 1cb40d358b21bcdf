// The reference host's edits, in two modes picked by the first byte.
// Even: a small generated project (its sequences and the undo buffer's size read from the
// input) takes the edit commands, undos, redos and alternative redos the input picks; after
// each step the saved project equals the model's snapshot (support/HostEditModel.h). Once a
// key edit asked for easing, the easing checks of the curve computations may report.
// Odd: the rest of the input, as an XML document, is read as graph slot assignments and as
// colours over a fixed tree (the source "A" and the mixer "Main" holding the source "Clip").
// Afterwards every held slot and its row name each other, no row holds two, and what is
// written reads back the same.
#include "DLL/Row/ParamGraph.h"

#include "ALL/Error.h"
#include "DLL/Row/ParamRow.h"
#include "FuzzInput.h"
#include "support/FakeRows.h"
#include "support/HostEditModel.h"
#include "support/SegmentCheck.h"
#include "support/TestContainerRows.h"

#include <wx/log.h>
#include <wx/mstream.h>

#include <memory>

namespace {

// The edit mode's model while it runs.
const THostEditModel* theModel = nullptr;

// Every report is a finding but, once a key edit asked for easing, the checks of easing that
// a continuity excludes: key edits report them on colour components as on any row.
void OnAssert(const wxString& pFile, int pLine, const wxString& pFunction,
              const wxString& pCondition, const wxString& pMessage) {
    if (theModel && theModel->aEased && IsEasingCheck(pCondition))
        return;
    AbortOnUnexpectedAssert(pFile, pLine, pFunction, pCondition, pMessage);
}

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

void GraphSlots(const uint8_t* pData, size_t pSize) {
    // Slot paths resolve from the current project: a host of the edit mode, closed, left none.
    IZVProject::theCurrentProject = &Tree().aProject;
    ParamGraphStaticInit();
    wxMemoryInputStream input(pData, pSize);
    wxXmlDocument document;
    {
        const wxLogNull quiet;
        if (!document.Load(input) || !document.GetRoot())
            return;
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
}

// One to three sequences, touching or apart, under a root that covers them.
TRangeList Sequences(TFuzzInput& pInput) {
    TRangeList sequences;
    long begin = long(pInput.Byte() % 20);
    for (unsigned count = 1 + pInput.Byte() % 3; count; --count) {
        const long end = begin + 2 + long(pInput.Byte() % 60);
        sequences.push_back(TRange(begin, end));
        begin = end + long(pInput.Byte() % 3) * 10;
    }
    return sequences;
}

void Edits(TFuzzInput& pInput) {
    // The slots of the graph mode's tree stay out of the saved project.
    ParamGraphStaticInit();
    const TRangeList sequences = Sequences(pInput);
    const unsigned long sizes[] = {3000, 6000, 1 << 16};
    const unsigned long size = pInput.Pick(sizes);
    TEditedProject project(ProjectText(sequences.back().aEnd + 10, sequences), size);
    THostEditModel model(project);
    theModel = &model;
    const THostEditModel::TDraw draw = [&] { return pInput.Byte(); };
    for (int step = 0; step < 24 && !pInput.Empty(); ++step)
        Require(model.Step(draw).empty());
    theModel = nullptr;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t pSize) {
    wxSetAssertHandler(OnAssert);
    if (pSize == 0)
        return 0;
    if (pData[0] % 2) {
        GraphSlots(pData + 1, pSize - 1);
        return 0;
    }
    TFuzzInput input(pData + 1, pSize - 1);
    Edits(input);
    return 0;
}
