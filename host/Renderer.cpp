#include "Renderer.h"

#include "DLL/Bas/StreamInt.h"
#include "DLL/Edt/MediaFormat.h"
#include "DLL/Row/FilterRow.h"
#include "DLL/Row/MixerRow.h"
#include "DLL/Row/ZVFormula.h"
#include "Host.h"

namespace {

// Floor division by a positive divisor, for frames before 0 as well.
int64_t FloorDiv(int64_t pValue, int64_t pDivisor) {
    const int64_t quotient = pValue / pDivisor;
    return quotient * pDivisor > pValue ? quotient - 1 : quotient;
}

} // namespace

TZVRenderer::TZVRenderer(TZVStreamRow* pRoot, const TMediaFormat& pFormat, bool pPicture,
                         bool pSound)
    : aPicture(pPicture), aSound(pSound), aSampleRate(pFormat.aAudioFormat.aSamplesPerSec),
      aFrameRate(pFormat.aRate) {
    aFrame.aWidth = pFormat.aWidth;
    aFrame.aHeight = pFormat.aHeight;
    aFrame.aStereo = pFormat.aAudioFormat.aChannels > 1 ? 1 : 0;
    aFrame.aFrameSampleCount = aFrameRate > 0 ? double(aSampleRate) * 1000.0 / aFrameRate : 0.0;
    TZVHost::SetFormulaRate(pFormat);
    // The root drives nothing of its own: it has a node for its render key and parameters.
    Place(MakeNode(pRoot, nullptr));
    if (TZVMixerRow* mixer = dynamic_cast<TZVMixerRow*>(pRoot))
        for (TZVSourceRow* source : mixer->aSourceChildList)
            aTops.emplace_back(source, AddSource(source, nullptr));
}

TZVRenderer::~TZVRenderer() = default;

std::unique_ptr<TZVRenderNode> TZVRenderer::MakeNode(TZVStreamRow* pRow, TZVRenderNode* pUser) {
    std::unique_ptr<TZVRenderNode> node = std::make_unique<TZVRenderNode>(pRow, aFrame);
    node->aUser = pUser;
    aGateOrder.push_back(node.get());
    return node;
}

TZVRenderNode* TZVRenderer::Place(std::unique_ptr<TZVRenderNode> pNode) {
    pNode->aRow->aRenderKey = int(aNodes.size());
    aNodes.push_back(std::move(pNode));
    return aNodes.back().get();
}

TZVRenderNode* TZVRenderer::AddSource(TZVStreamRow* pRow, TZVRenderNode* pUser) {
    // A node is made before what it uses, so that it gates them, and placed after them.
    std::unique_ptr<TZVRenderNode> own = MakeNode(pRow, pUser);
    if (TZVMixerRow* mixer = dynamic_cast<TZVMixerRow*>(pRow))
        for (TZVSourceRow* source : mixer->aSourceChildList)
            own->aSources.push_back(AddSource(source, own.get()));
    TZVRenderNode* const owner = Place(std::move(own));
    TZVRenderNode* end = owner;
    if (TZVSourceRow* source = dynamic_cast<TZVSourceRow*>(pRow))
        for (TZVFilterRow* filter : source->aFilterChildList) {
            // Gated by the source, not by the filter before: an inactive filter passes its
            // input on.
            std::unique_ptr<TZVRenderNode> node = MakeNode(filter, owner);
            node->aInput = end;
            node->aSources.push_back(end);
            if (filter->aMask)
                node->aSources.push_back(AddSource(filter->aMask, node.get()));
            end = Place(std::move(node));
        }
    return end;
}

void TZVRenderer::RenderFrame(long pFrame) {
    aFrame.aFrame = pFrame;
    ++aFrame.aStamp;
    if (aFrame.aStamp == 0)
        aFrame.aStamp = 1;
    aFrame.aSampleCount = SampleCount(pFrame, aSampleRate, aFrameRate);
    for (TZVRenderNode* node : aGateOrder) {
        TZVStreamRow* row = node->aRow;
        node->BeginPass();
        node->aActive = row->aIsRendered && row->aSequenceList.Find(pFrame) &&
                        (!node->aUser || node->aUser->aActive);
    }
    aNodes.front()->aActive = false;
    // Nothing changes the rows or the frame table until the frame is rendered: a row that
    // many formulas read is computed once for the frame's snapshots and once for its picture.
    const TZVFormula::TEvaluation evaluation;
    // Every snapshot first: value references read each other's slots while streams evaluate.
    for (const std::unique_ptr<TZVRenderNode>& node : aNodes)
        node->TakeSnapshots(*this);
    // Only the tops that give the picture and the sound are pulled, and only when wanted.
    for (const bool video : {true, false})
        if (TZVRenderNode* top = (video ? aPicture : aSound) ? TopNode(video) : nullptr)
            top->Render();
}

TZVRenderNode* TZVRenderer::TopNode(bool pVideo) const {
    for (const std::pair<TZVStreamRow*, TZVRenderNode*>& top : aTops)
        if (top.first->HasVideo() == pVideo)
            return top.second;
    return nullptr;
}

IZVRenderStream* TZVRenderer::TopStream(bool pVideo) const {
    const TZVRenderNode* top = (pVideo ? aPicture : aSound) ? TopNode(pVideo) : nullptr;
    return top ? top->Output()->GetStream() : nullptr;
}

const IZVVideoStream* TZVRenderer::GetPicture() const {
    return dynamic_cast<const IZVVideoStream*>(TopStream(true));
}

const int16_t* TZVRenderer::GetSound() const {
    const IZVAudioStream* stream = dynamic_cast<const IZVAudioStream*>(TopStream(false));
    return stream ? stream->GetAudioData() : nullptr;
}

IFormula** TZVRenderer::GetParamSlot(int pRenderKey, int pIndex, bool) const {
    if (pRenderKey < 0 || size_t(pRenderKey) >= aNodes.size())
        return nullptr;
    return aNodes[size_t(pRenderKey)]->GetSlot(pIndex);
}

int TZVRenderer::SampleCount(long pFrame, long pRate, long pFrameRate) {
    return int(SampleTotal(pFrame, pFrame, pRate, pFrameRate));
}

int64_t TZVRenderer::SampleTotal(long pFirst, long pLast, long pRate, long pFrameRate) {
    if (pFrameRate <= 0 || pRate <= 0)
        return 0;
    const int64_t scaled = int64_t(pRate) * 1000;
    return FloorDiv((int64_t(pLast) + 1) * scaled, pFrameRate) -
           FloorDiv(int64_t(pFirst) * scaled, pFrameRate);
}
