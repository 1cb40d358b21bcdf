// Formula texts with parameter references: any text is parsed, resolved against a fixed tree
// (a mixer "Main" holding the source "Clip"), registered, evaluated, printed and unregistered
// without crash or read past the text; a clean parse prints an image that parses back to the
// same image.
#include "DLL/Row/ParamRow.h"
#include "DLL/Row/ZVFormula.h"
#include "FuzzInput.h"
#include "support/FakeRows.h"
#include "support/TestContainerRows.h"

#include <memory>

namespace {

struct TTree {
    TTree() : aRoot(MakeTestRoot()), aProject(aRoot.get()) {
        TZVFormula::SetFrameRate(25);
        TTestMixerRow* main = MakeRow<TTestMixerRow>(L"Main");
        aRoot->InsertSource(main, nullptr);
        aClip = MakeRow<TTestSourceRow>(L"Cl]ip");
        main->InsertSource(aClip, nullptr);
        aClip->aSequenceList.push_back(TRange(10, 20));
    }
    std::unique_ptr<TTestMixerRow> aRoot;
    TFakeProject aProject;
    TTestSourceRow* aClip;
};

TTree& Tree() {
    static TTree theTree;
    return theTree;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t pSize) {
    const wxString text = FuzzText(pData, pSize);
    TZVParamRow* owner = Tree().aClip->aParamTab[0];
    TZVFormula* formula = new TZVFormula(owner);
    const bool parsed = formula->Parse(text.wc_str());
    owner->InitFormula(formula);
    const bool resolved = owner->AddFormulaListeners(false);
    for (double time : {-1.5, 0.0, 12.7, 19.0, 1e12})
        formula->ComputePointAt(time);
    const wxString image = formula->GetImage();
    if (parsed && resolved) {
        TZVFormula again(nullptr);
        Require(again.Parse(image.wc_str()));
        Require(again.Resolve());
        Require(again.GetImage() == image);
    }
    owner->deleteFormula(false);
    Require(Tree().aClip->aParamTab[1]->aListenerList.empty());
    return 0;
}
