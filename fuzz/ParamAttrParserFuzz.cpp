// The look-up of the parameter reference at a cursor place, as formula editing asks for it:
// any text with a cursor taken from the first byte, also before the text and past its end.
// Whatever it finds must be a parameter of the fixed tree (a mixer "M:ain" holding the source
// "Cl]ip"), found without an error and with a known attribute.
#include "ALL/Error.h"
#include "DLL/Row/ParamRow.h"
#include "DLL/Row/ZVParamAttrParser.h"
#include "FuzzInput.h"
#include "support/FakeRows.h"
#include "support/TestContainerRows.h"

#include <algorithm>
#include <memory>

namespace {

struct TTree {
    TTree() : aRoot(MakeTestRoot()), aProject(aRoot.get()) {
        TTestMixerRow* mixer = MakeRow<TTestMixerRow>(L"M:ain");
        aRoot->InsertSource(mixer, nullptr);
        aClip = MakeRow<TTestSourceRow>(L"Cl]ip");
        mixer->InsertSource(aClip, nullptr);
    }
    std::unique_ptr<TTestMixerRow> aRoot;
    TFakeProject aProject;
    TTestSourceRow* aClip;
};

const TTree& Tree() {
    static const TTree theTree;
    return theTree;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t pSize) {
    TFuzzInput input(pData, pSize);
    const int cursor = int(input.Byte()) - 8;
    const wxString text = FuzzText(pData + (pSize > 0), pSize - (pSize > 0));
    const auto& params = Tree().aClip->aParamTab;
    try {
        const TZVParamAttrParser parser(text.wc_str(), cursor);
        if (!parser.GetRow())
            return 0;
        Require(parser.GetError().empty());
        Require(parser.GetAttr() <= attrEND_SEQUENCE);
        Require(std::find(params.begin(), params.end(), parser.GetRow()) != params.end());
    } catch (const TError&) {
        // A path that names no row.
    }
    return 0;
}
