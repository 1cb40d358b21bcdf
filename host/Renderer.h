// TZVRenderer: the render loop over a project's row tree. It numbers the stream rows (their
// render keys), keeps one node and one table of parameter snapshots per row, and renders a
// frame by driving every active stream, sources, masks and filters before their users. The
// tree must not change while a renderer is built over it.
#pragma once

#include "DLL/Bas/EvaluateContext.h"
#include "RenderNode.h"

#include <cstdint>
#include <memory>
#include <vector>

class IZVAudioStream;
class IZVVideoStream;
class TMediaFormat;
class TZVStreamRow;

class TZVRenderer : public IEvaluateContext {
public:
    // Over the tree under pRoot (not owned), at pFormat's size, rate and sound; pPicture and
    // pSound: whether the picture and the sound are wanted at all.
    TZVRenderer(TZVStreamRow* pRoot, const TMediaFormat& pFormat, bool pPicture = true,
                bool pSound = true);
    ~TZVRenderer();

    // Renders frame pFrame: a new stamp, fresh snapshots, then the top streams wanted, each
    // pulling what it reads.
    void RenderFrame(long pFrame);

    // The picture of the frame just rendered: the top video stream when it gave one, else
    // null.
    const IZVVideoStream* GetPicture() const;
    // Its sound, GetSampleCount() frames of GetChannelCount() interleaved 16-bit values;
    // null when the top audio stream was silent.
    const int16_t* GetSound() const;
    int GetSampleCount() const { return aFrame.aSampleCount; }
    int GetChannelCount() const { return aFrame.aStereo ? 2 : 1; }

    IFormula** GetParamSlot(int pRenderKey, int pIndex, bool pFlag) const override;

    // Sound frames of frame pFrame at pRate samples and pFrameRate thousandths of frames a
    // second: floor((f + 1) R / fps) - floor(f R / fps), in 64-bit integers.
    static int SampleCount(long pFrame, long pRate, long pFrameRate);
    // Sound frames of the frames pFirst to pLast together, each counted as SampleCount does.
    static int64_t SampleTotal(long pFirst, long pLast, long pRate, long pFrameRate);

private:
    // Adds the nodes of the source pRow, its sources and its filter chain, each after what
    // it uses; returns the node that ends the chain.
    TZVRenderNode* AddSource(TZVStreamRow* pRow, TZVRenderNode* pUser);
    std::unique_ptr<TZVRenderNode> MakeNode(TZVStreamRow* pRow, TZVRenderNode* pUser);
    // Appends pNode to the rendering order; the row's render key is its place.
    TZVRenderNode* Place(std::unique_ptr<TZVRenderNode> pNode);
    // The chain end of the first of the root's sources that has video (pVideo) or not.
    TZVRenderNode* TopNode(bool pVideo) const;
    // Its stream when it is wanted and gave output in this pass, else null.
    IZVRenderStream* TopStream(bool pVideo) const;

    TZVFrameInfo aFrame;
    const bool aPicture;
    const bool aSound;
    long aSampleRate;
    long aFrameRate;
    // In rendering order: each after what it uses.
    std::vector<std::unique_ptr<TZVRenderNode>> aNodes;
    // The same nodes, each after the user that gates it.
    std::vector<TZVRenderNode*> aGateOrder;
    // The chain ends of the root's sources, with their rows.
    std::vector<std::pair<TZVStreamRow*, TZVRenderNode*>> aTops;
};
