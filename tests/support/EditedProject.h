// A generated project loaded through the project file into a host, with the host's editor
// over it, for tests and fuzz targets. Header only.
#pragma once

#include "HostEditor.h"
#include "Host.h"
#include "ProjectFile.h"

#include "ALL/Range.h"
#include "DLL/Row/ParamRow.h"
#include "DLL/Row/StreamRow.h"

#include <wx/string.h>

#include <cstdio>
#include <fstream>
#include <list>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

// Each sequence of pSequences in two keyed segments split at its middle, straight or curved.
inline std::string KeyedValue(const TRangeList& pSequences) {
    std::string keys;
    for (const TRange& sequence : pSequences) {
        const long middle = sequence.aBegin + (sequence.aEnd - sequence.aBegin) / 2;
        keys += "<key time=\"" + std::to_string(sequence.aBegin) + "\" to=\"" +
                std::to_string(middle) + "\" kind=\"1\" c=\"F~_\"/>";
        if (middle > sequence.aBegin)
            keys += "<key time=\"" + std::to_string(middle) + "\" to=\"" +
                    std::to_string(sequence.aEnd) + "\" kind=\"1\" c=\"V~_\">GAq</key>";
    }
    return "<value>" + keys + "</value>";
}

// A project pDuration long: the root holds the video mixer "Video" (a background colour and
// its components, the setup that shows them) over the source "clip" (its filter "Fade" masked
// by "still") and "frames" (an expression reading clip's image), and the audio mixer "Audio"
// over an audio "clip". Every row below the root has pSequences; media are missing.
inline std::string ProjectText(long pDuration, const TRangeList& pSequences) {
    std::string seq = "<seq-list>";
    for (const TRange& sequence : pSequences)
        seq += "<seg begin=\"" + std::to_string(sequence.aBegin) + "\" end=\"" +
               std::to_string(sequence.aEnd) + "\"/>";
    seq += "</seq-list>";
    const std::string keyed = KeyedValue(pSequences);
    const auto param = [&](const std::string& pName, const std::string& pValue) {
        return "<param type=\"Standard\" name=\"" + pName + "\">" + pValue + "</param>";
    };
    const auto source = [&](const std::string& pType, const std::string& pName,
                            const std::string& pParams, const std::string& pFilters) {
        return "<source type=\"" + pType + "\" name=\"" + pName + "\">" + seq +
               "<param-list shown=\"0\">" + pParams + "</param-list><fltr-list shown=\"0\">" +
               pFilters + "</fltr-list><media l=\"50\" w=\"32\" h=\"24\">missing/" + pName +
               ".mkv</media></source>";
    };
    const std::string fade = "<filter type=\"Opacity\" name=\"Fade\">" + seq +
                             "<param-list shown=\"0\">" + param("Opacity", keyed) +
                             "</param-list><mask shown=\"0\">" +
                             source("video-media", "still", param("Image", keyed), "") +
                             "</mask></filter>";
    std::string colour = "<param type=\"Color\" name=\"Background colour\"><value/></param>";
    for (const char* component : {"Red", "Green", "Blue"})
        colour += std::string("<param type=\"ColorComp\" name=\"Background colour - ") +
                  component + "\" disabled=\"\">" + keyed + "</param>";
    const std::string video =
        "<mixer type=\"video-mux\" name=\"Video\">" + seq +
        "<setup-list><setup/></setup-list><param-list shown=\"0\">" + colour +
        "</param-list><fltr-list shown=\"0\"/><src-list shown=\"0\">" +
        source("video-media", "clip", param("Image", keyed), fade) +
        source("video-media", "frames",
               param("Image", "<value>[mixer:Video][source:clip][param:1 - Image].value / "
                              "10</value>"),
               "") +
        "</src-list></mixer>";
    const std::string audio = "<mixer type=\"audio-mux\" name=\"Audio\">" + seq +
                              "<param-list shown=\"0\">" + param("Master Amplif (db)", keyed) +
                              "</param-list><fltr-list shown=\"0\"/><src-list shown=\"0\">" +
                              source("audio-media", "clip", param("Seconds", keyed), "") +
                              "</src-list></mixer>";
    const std::string duration = std::to_string(pDuration);
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<project><format duration=\"" +
           duration +
           "\"><video width=\"32\" height=\"24\" rate=\"25000\"><codec fourcc=\"0\" "
           "quality=\"-1\"/></video><audio rate=\"22050\" channel=\"2\" bits=\"16\" "
           "tag=\"1\"><codec id=\"0\" format=\"0\"/></audio></format><mixer type=\"\" "
           "name=\"\"><seq-list><seg begin=\"0\" end=\"" +
           duration +
           "\"/></seq-list><param-list shown=\"0\"/><fltr-list shown=\"0\"/><src-list "
           "shown=\"1\">" +
           video + audio + "</src-list></mixer></project>\n";
}

// The sequences (0, 40), (40, 70), (80, 100) under a root 100 long.
inline std::string SmallProjectText() {
    TRangeList sequences;
    for (const TRange& sequence : {TRange(0, 40), TRange(40, 70), TRange(80, 100)})
        sequences.push_back(sequence);
    return ProjectText(100, sequences);
}

// pText loaded (media offline) into a host in a folder of its own, with an editor whose
// history takes pBufferSize bytes. Throws what the load throws.
class TEditedProject {
public:
    TEditedProject(const std::string& pText, unsigned long pBufferSize)
        : aFolder(MakeFolder()), aHost(true, aMessages), aEditor(aHost, pBufferSize) {
        std::ofstream(aFolder + "project.xml", std::ios::binary) << pText;
        TZVProjectFile::Load(wxString::FromUTF8(aFolder + "project.xml"), aHost, true);
        CollectRows();
    }
    ~TEditedProject() {
        std::remove((aFolder + "project.xml").c_str());
        rmdir(aFolder.c_str());
    }

    // The project file as the host saves it.
    std::string Saved() const { return TZVProjectFile::SaveText(aHost); }
    // The stream row whose designation (the names down from the root) is pName.
    TZVStreamRow* Stream(const wxString& pName) const {
        for (TZVStreamRow* row : aStreams)
            if (row->GetRowDesignation() == pName)
                return row;
        return nullptr;
    }

    // Every stream row (the root last) and every parameter row, in tree order.
    std::vector<TZVStreamRow*> aStreams;
    std::vector<TZVParamRow*> aParams;
    const std::string aFolder;
    std::ostringstream aMessages;
    TZVHost aHost;
    THostEditor aEditor;

private:
    static std::string MakeFolder() {
        char name[] = "/tmp/EditedProject-XXXXXX";
        return std::string(mkdtemp(name)) + "/";
    }
    void CollectRows() {
        class TCollect : public TZVStreamRow::IStreamTreeOperation {
        public:
            explicit TCollect(std::vector<TZVStreamRow*>& pRows) : aRows(pRows) {}
            bool Apply(TZVStreamRow* pRow) override {
                aRows.push_back(pRow);
                return true;
            }
            std::vector<TZVStreamRow*>& aRows;
        } collect(aStreams);
        aHost.GetRootRow()->ApplyOperation(collect);
        // The walk leaves the root out.
        aStreams.push_back(aHost.GetRootRow());
        // Composite rows too, which ListParam leaves out.
        for (TZVStreamRow* row : aStreams)
            aParams.insert(aParams.end(), row->aParamTab.begin(), row->aParamTab.end());
    }
};
