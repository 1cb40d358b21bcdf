#include "DLL/Row/MainRow.h"

#include "ALL/Variant.h"
#include "DLL/Bas/StreamBase.h"
#include "DLL/Row/FilterRow.h"
#include "DLL/Row/MediaSourceRow.h"
#include "Renderer.h"
#include "support/FakeLibrary.h"
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

// Video: clip.mkv faded by a filter masked by still.png, then still.png; Audio: clip.mkv's
// sound following the picture by a formula. Made as a user makes it, then written.
wxString StoredProject(int pClip, int pStill) {
    TFakeProject project;
    const std::unique_ptr<TZVMainMixerRow> root = MakeMainRoot(100);
    project.aRoot = root.get();
    auto* video = MakeRow<TZVMainVideoMixerRow>(L"Video");
    auto* audio = MakeRow<TZVSimpleAudioMixerRow>(L"Audio");
    root->InsertSource(video, nullptr);
    root->InsertSource(audio, nullptr);
    TZVMediaSourceRow* front = TZVMediaSourceRow::CreateMediaSource(true, pClip, nullptr);
    video->InsertSource(front, nullptr);
    video->InsertSource(TZVMediaSourceRow::CreateMediaSource(true, pStill, nullptr), nullptr);
    TZVFilterRow* fade = MakeFilter(L"Opacity", L"Fade");
    front->InsertFilter(fade, nullptr);
    fade->InsertSource(TZVMediaSourceRow::CreateMediaSource(true, pStill, nullptr), nullptr);
    audio->InsertSource(TZVMediaSourceRow::CreateMediaSource(false, pClip, front), nullptr);
    const std::unique_ptr<wxXmlNode> image(root->GetXmlImage());
    return XmlText(*image);
}

} // namespace

TEST(MainProject, ASmallProjectReadsRendersAndWritesBackTheSame) {
    TFakeLibrary library;
    const wxString stored = StoredProject(library.Add(ExampleMedia("clip.mkv")),
                                          library.Add(ExampleMedia("still.png"), L"$(media)/"));
    // The media as the library finds them again, with their characteristics in order.
    for (const wxString& part : std::vector<wxString>{
             L"<value>[mixer:Video][source:clip][param:1 - Image].value * 0.04",
             L"<media l=\"50\" w=\"160\" h=\"120\">" + ExampleMedia("clip.mkv") + L"</media>",
             L"<media l=\"1\" w=\"64\" h=\"48\">$(media)/still.png</media>",
             L"<media l=\"" + IEEE754Image(2.0) + L"\">" + ExampleMedia("clip.mkv") + L"</media>"})
        EXPECT_NE(stored.Find(part), wxNOT_FOUND) << part;
    TFakeProject project;
    const std::unique_ptr<wxXmlNode> element(ParseXml(stored));
    const std::unique_ptr<TZVMainMixerRow> root = LoadMainRoot(element.get(), 100);
    project.aRoot = root.get();
    ASSERT_TRUE(root->AddListeners(false));
    {
        TZVRenderer renderer(root.get(), project.aFormat);
        for (long frame : {0L, 1L}) {
            renderer.RenderFrame(frame);
            ASSERT_NE(renderer.GetPicture(), nullptr) << frame;
            EXPECT_EQ(renderer.GetPicture()->GetSize(), wxPoint(320, 240));
            const int16_t* sound = renderer.GetSound();
            ASSERT_NE(sound, nullptr) << frame;
            EXPECT_TRUE(std::any_of(sound, sound + renderer.GetSampleCount(), [](int16_t pValue) {
                return pValue != 0;
            })) << "the sound follows the picture's images";
        }
    }
    const std::unique_ptr<wxXmlNode> again(root->GetXmlImage());
    EXPECT_EQ(XmlText(*again), stored);
}
