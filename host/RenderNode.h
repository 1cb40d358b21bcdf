// TZVRenderNode: one stream row of the tree being rendered, and the render context its
// stream is handed for the current frame. The renderer links the nodes once, after a load,
// and refreshes their per-frame state in every pass.
#pragma once

#include "DLL/Bas/RenderContext.h"

#include <cstdint>
#include <vector>

class IEvaluateContext;
class IFormula;
class TZVStreamRow;

// What every context of one pass shares: the frame, its stamp, size and sound.
struct TZVFrameInfo {
    long aFrame = 0;
    uint32_t aStamp = 0;
    int aWidth = 0;
    int aHeight = 0;
    int aStereo = 0;
    // Samples per channel of a frame, exact, and those of the current frame, whole.
    double aFrameSampleCount = 0.0;
    int aSampleCount = 0;
};

class TZVRenderNode final : public IZVRenderContext {
public:
    TZVRenderNode(TZVStreamRow* pRow, const TZVFrameInfo& pFrame);
    ~TZVRenderNode();
    TZVRenderNode(const TZVRenderNode&) = delete;
    TZVRenderNode& operator=(const TZVRenderNode&) = delete;

    int GetSourceCount() const override;
    int GetParamCount() const override;
    int GetWidth() const override;
    int GetHeight() const override;
    // Source pIndex had a picture or sound in the previous pass and has one now, from the
    // same row: anything else counts as a change.
    bool IsSourceShown(int pIndex) const override;
    int IsStereo() const override;
    double GetFrameSampleCount() const override;
    int GetSampleCount() const override;
    uint32_t GetStamp() const override;
    IFormula* const* GetParams(int pFirst, int pKind) const override;
    // This node's stream when it gave output in this pass, else null.
    IZVRenderStream* GetStream() const override;
    long GetFrame(int pKind) const override;
    const IZVRenderContext* GetSourceContext(int pIndex, int pPhase, int pStereo,
                                             double pSampleCount) const override;

    // Starts a pass: the output of the previous one becomes history, and nothing is
    // rendered yet.
    void BeginPass();
    // Takes fresh snapshots of the row's parameters for the frame.
    void TakeSnapshots(const IEvaluateContext& pContext);
    // Renders the node once in a pass, when first needed: decides what stands for its output
    // (an inactive filter's input, rendered then), then drives the stream when active:
    // SetRenderContext, and Update after a 0. A source is thus rendered only when its user
    // asks for it (GetSourceContext, IsSourceShown): one that a mixer does not read, such as
    // a picture hidden behind opaque ones, is never decoded.
    void Render();
    // The place of parameter pIndex's snapshot; null outside the row's parameters.
    IFormula** GetSlot(int pIndex);

    TZVStreamRow* const aRow;
    // The nodes whose outputs are this node's sources, in the stream's order: a mixer's
    // sources (the ends of their chains), a filter's input then its mask.
    std::vector<TZVRenderNode*> aSources;
    // A filter's predecessor in its chain (the source itself for the first); null otherwise.
    TZVRenderNode* aInput = nullptr;
    // The node whose activity gates this one (the mixer, source or filter that uses it).
    TZVRenderNode* aUser = nullptr;
    // The row is rendered at the frame, and so is its user.
    bool aActive = false;

    // The node whose stream stands for this node's output: an inactive filter passes its
    // input on.
    const TZVRenderNode* Output() const { return aOutput; }

private:
    const TZVFrameInfo& aFrame;
    std::vector<IFormula*> aParams;
    const TZVRenderNode* aOutput = this;
    bool aRendered = false;
    bool aHasOutput = false;
    bool aHadOutput = false;
    // The outputs of the sources when this node last rendered.
    std::vector<const TZVRenderNode*> aLastOutputs;
};
