#include "DLL/Row/MainRow.h"

#include "DLL/Bas/StreamBase.h"
#include "DLL/Row/FilterRow.h"
#include "DLL/Row/MediaSourceRow.h"
#include "DLL/Row/ParamRow.h"
#include "DLL/Row/ZVFormula.h"
#include "support/FakeLibrary.h"
#include "support/FakeRenderContext.h"
#include "support/FakeRows.h"
#include "support/MainTree.h"
#include "support/TestContainerRows.h"
#include "support/XmlText.h"

#include <wx/xml/xml.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// A row's render context as a host makes it: the row's stream and parameters at the frame,
// and sub-contexts for its inputs (a mixer's sources' outputs, a filter's input and mask),
// each prepared when the mixer asks for it (phase 0) and updated once (phase 1).
class TRowContext : public TFakeRenderContext {
public:
    TRowContext(TZVStreamRow& pRow, long pFrame, uint32_t pStamp) : aRow(pRow) {
        aStream = pRow.aRenderStream;
        aFrame = pFrame;
        aStamp = pStamp;
        aWidth = 32;
        aHeight = 24;
        aStereo = 1;
        aFrameSampleCount = 882.0;
        aSampleCount = 882;
        aParamCount = pRow.GetParamCount();
        for (TZVParamRow* param : pRow.aParamTab)
            aFormulas.push_back(param->aFormula ? static_cast<IFormula*>(param->aFormula)
                                                : &param->aFormulaList);
        aQuiet = true;
        if (auto* mixer = dynamic_cast<TZVMixerRow*>(&pRow))
            for (TZVSourceRow* source : mixer->aSourceChildList)
                Add(source->aFilterChildList.empty()
                        ? static_cast<TZVStreamRow&>(*source)
                        : *source->aFilterChildList.back());
        if (auto* filter = dynamic_cast<TZVFilterRow*>(&pRow)) {
            TZVSourceRow* owner = dynamic_cast<TZVSourceRow*>(pRow.aParent);
            const TZVFilterRow* below = owner->GetPrevFilter(filter);
            Add(below ? *const_cast<TZVFilterRow*>(below) : *static_cast<TZVStreamRow*>(owner),
                true);
            if (filter->aMask)
                Add(*filter->aMask);
        }
    }

    int GetSourceCount() const override { return int(aInputs.size()); }
    IZVRenderStream* GetStream() const override { return aReady ? aStream : nullptr; }
    const IZVRenderContext* GetSourceContext(int pIndex, int pPhase, int, double) const override {
        if (pIndex < 0 || size_t(pIndex) >= aInputs.size())
            return nullptr;
        TRowContext& input = *aInputs[size_t(pIndex)];
        if (pPhase == 0)
            input.Prepare();
        else if (input.aReady && !input.aUpdated) {
            input.aUpdated = true;
            input.aStream->Update(&input);
        }
        return &input;
    }

    // The stream's answer to the frame; 0 when it has output.
    int Prepare() {
        aReady = false;
        const int answer = aStream ? aStream->SetRenderContext(this) : 4;
        aReady = answer == 0;
        return answer;
    }

private:
    // pInputOnly: the source below a filter, without its own filters.
    void Add(TZVStreamRow& pRow, bool pInputOnly = false) {
        aInputs.push_back(std::make_unique<TRowContext>(pRow, aFrame, aStamp));
        if (pInputOnly)
            aInputs.back()->aInputs.clear();
    }

    TZVStreamRow& aRow;
    std::vector<std::unique_ptr<TRowContext>> aInputs;
    bool aReady = false;
    bool aUpdated = false;
};

} // namespace

TEST(MainProject, ASmallProjectReadsRendersAndWritesBackTheSame) {
    TFakeLibrary library;
    const int clip = library.Add(ExampleMedia("clip.mkv"));
    const int still = library.Add(ExampleMedia("still.png"), L"$(media)/");
    TFakeProject project;
    // The project, made as the user makes one, then written.
    wxString stored;
    {
        const std::unique_ptr<TZVMainMixerRow> root = MakeMainRoot(100);
        project.aRoot = root.get();
        auto* video = MakeRow<TZVMainVideoMixerRow>(L"Video");
        auto* audio = MakeRow<TZVSimpleAudioMixerRow>(L"Audio");
        root->InsertSource(video, nullptr);
        root->InsertSource(audio, nullptr);
        TZVMediaSourceRow* front = TZVMediaSourceRow::CreateMediaSource(true, clip, nullptr);
        video->InsertSource(front, nullptr);
        video->InsertSource(TZVMediaSourceRow::CreateMediaSource(true, still, nullptr), nullptr);
        TZVFilterRow* fade = MakeFilter(L"Opacity", L"Fade");
        front->InsertFilter(fade, nullptr);
        fade->InsertSource(TZVMediaSourceRow::CreateMediaSource(true, still, nullptr), nullptr);
        audio->InsertSource(TZVMediaSourceRow::CreateMediaSource(false, clip, front), nullptr);
        const std::unique_ptr<wxXmlNode> image(root->GetXmlImage());
        stored = XmlText(*image);
        project.aRoot = nullptr;
    }
    const std::unique_ptr<wxXmlNode> element(ParseXml(stored));
    const std::unique_ptr<TZVMainMixerRow> root = LoadMainRoot(element.get(), 100);
    project.aRoot = root.get();
    ASSERT_TRUE(root->AddListeners(false));
    TZVFormula::SetFrameRate(25);
    TZVMixerRow* video = dynamic_cast<TZVMixerRow*>(root->aSourceChildList.front());
    TZVMixerRow* audio = dynamic_cast<TZVMixerRow*>(root->aSourceChildList.back());
    for (long frame : {0L, 1L}) {
        TRowContext picture(*video, frame, uint32_t(frame + 1));
        ASSERT_EQ(picture.Prepare(), 0) << frame;
        video->aRenderStream->Update(&picture);
        const TBitmap* bitmap = IZVVideoStream::Cast(video->aRenderStream)->GetBitmapFormat();
        EXPECT_EQ(bitmap->GetWidth() * 100 + bitmap->GetHeight(), 3224);
        TRowContext sound(*audio, frame, uint32_t(frame + 1));
        ASSERT_EQ(sound.Prepare(), 0) << frame;
        audio->aRenderStream->Update(&sound);
        const int16_t* samples = IZVAudioStream::Cast(audio->aRenderStream)->GetAudioData();
        ASSERT_NE(samples, nullptr);
        EXPECT_TRUE(std::any_of(samples, samples + 2 * 882, [](int16_t p) { return p != 0; }))
            << "the sound follows the picture's images";
    }
    EXPECT_NE(stored.Find(L"<value>[mixer:Video][source:clip][param:1 - Image].value * 0.04"),
              wxNOT_FOUND);
    const std::unique_ptr<wxXmlNode> again(root->GetXmlImage());
    EXPECT_EQ(XmlText(*again), stored);
}
