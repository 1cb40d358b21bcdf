#include "RenderNode.h"

#include "DLL/Bas/StreamInt.h"
#include "DLL/Row/ParamRow.h"
#include "DLL/Row/StreamRow.h"
#include "DLL/Row/ZVFormula.h"

TZVRenderNode::TZVRenderNode(TZVStreamRow* pRow, const TZVFrameInfo& pFrame)
    : aRow(pRow), aFrame(pFrame), aParams(pRow->aParamTab.size(), nullptr) {}

TZVRenderNode::~TZVRenderNode() {
    for (IFormula* snapshot : aParams)
        delete snapshot;
}

int TZVRenderNode::GetSourceCount() const {
    return int(aSources.size());
}

int TZVRenderNode::GetParamCount() const {
    return int(aParams.size());
}

int TZVRenderNode::GetWidth() const {
    return aFrame.aWidth;
}

int TZVRenderNode::GetHeight() const {
    return aFrame.aHeight;
}

bool TZVRenderNode::IsSourceShown(int pIndex) const {
    if (pIndex < 0 || size_t(pIndex) >= aSources.size())
        return false;
    aSources[size_t(pIndex)]->Render();
    const TZVRenderNode* output = aSources[size_t(pIndex)]->Output();
    return output->aHasOutput && output->aHadOutput && size_t(pIndex) < aLastOutputs.size() &&
           aLastOutputs[size_t(pIndex)] == output;
}

int TZVRenderNode::IsStereo() const {
    return aFrame.aStereo;
}

double TZVRenderNode::GetFrameSampleCount() const {
    return aFrame.aFrameSampleCount;
}

int TZVRenderNode::GetSampleCount() const {
    return aFrame.aSampleCount;
}

uint32_t TZVRenderNode::GetStamp() const {
    return aFrame.aStamp;
}

IFormula* const* TZVRenderNode::GetParams(int pFirst, int) const {
    return pFirst >= 0 && size_t(pFirst) < aParams.size() ? &aParams[size_t(pFirst)] : nullptr;
}

IZVRenderStream* TZVRenderNode::GetStream() const {
    return aHasOutput ? aRow->aRenderStream : nullptr;
}

long TZVRenderNode::GetFrame(int) const {
    return aFrame.aFrame;
}

const IZVRenderContext* TZVRenderNode::GetSourceContext(int pIndex, int, int, double) const {
    if (pIndex < 0 || size_t(pIndex) >= aSources.size())
        return nullptr;
    aSources[size_t(pIndex)]->Render();
    return aSources[size_t(pIndex)]->Output();
}

void TZVRenderNode::BeginPass() {
    aHadOutput = aHasOutput;
    aHasOutput = false;
    aRendered = false;
}

void TZVRenderNode::TakeSnapshots(const IEvaluateContext& pContext) {
    for (size_t i = 0; i < aParams.size(); ++i) {
        const TZVParamRow* param = aRow->aParamTab[i];
        if (!param) {
            delete aParams[i];
            aParams[i] = nullptr;
            continue;
        }
        const IClonableFormula& source =
            param->aFormula ? static_cast<const IClonableFormula&>(*param->aFormula)
                            : param->aFormulaList;
        aParams[i] = source.CloneFormulaAt(aFrame.aFrame, aParams[i], pContext, false);
    }
}

void TZVRenderNode::Render() {
    if (aRendered)
        return;
    aRendered = true;
    aOutput = this;
    if (!aActive && aInput) {
        aInput->Render();
        aOutput = aInput->aOutput;
        return;
    }
    IZVRenderStream* stream = aRow->aRenderStream;
    if (!aActive || !stream)
        return;
    aHasOutput = stream->SetRenderContext(this) == 0;
    if (aHasOutput)
        stream->Update(this);
    aLastOutputs.resize(aSources.size());
    for (size_t i = 0; i < aSources.size(); ++i)
        aLastOutputs[i] = aSources[i]->Output();
}

IFormula** TZVRenderNode::GetSlot(int pIndex) {
    return pIndex >= 0 && size_t(pIndex) < aParams.size() ? &aParams[size_t(pIndex)] : nullptr;
}
