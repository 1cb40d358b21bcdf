// The media source rows: a row that plays one medium of the host's media library under a
// mixer. The video row shows its images, driven by "Image" (the image number over time), the
// audio row plays its sound, driven by "Seconds" (the media time over time). Both keep the
// link to the library entry, write and read it in a "media" element and check on load that
// the medium has not changed. The audio row shows its medium's waveform through the waveform
// cache.
#pragma once

#include "DLL/Row/ConcreteRow.h"
#include "DLL/Row/SourceRow.h"

#include <utility>
#include <vector>

class TZVMedia;

class TZVMediaSourceRow : public TZVSimpleSourceRow {
public:
    TZVMediaSourceRow() : aMediaIndex(-1), aMedia(nullptr) {}
    // Leaves the parent, then the library entry.
    ~TZVMediaSourceRow() override;

    // The source part, then "media": the entry's text (empty without one), as it is found
    // again through the library. A row read while its medium was offline writes the
    // attributes it read back with it.
    wxXmlNode* GetXmlImage() const override;
    // The medium (from "media", the last child), the source part, then the parameter's
    // range. Throws TError, an empty one when the user refuses a changed medium.
    void CreateChildren(const wxXmlNode*& pNode) override;
    wxIcon* GetParamTypeIcon(int pIndex) const override;
    // A row that takes its parent's sequences keeps those the medium fills: its sequences
    // end where the parameter reaches the medium's end (an expression is left alone).
    bool CopyParentSequence() override;

    // Plays the library entry pIndex from now on: leaves the former entry, takes the file's
    // name, and makes a new parameter (default keys unless pFromLink), the former one's keys
    // withdrawn. Subclasses then make the render stream.
    virtual void setMedia(int pIndex, bool pFromLink);
    // Parameter units per second of the medium; 0.0 without one (video).
    virtual double getRate() const = 0;
    // The parameter's value at the medium's end; 0.0 without a medium.
    virtual double getLength() const = 0;
    // Takes the medium "media" names and checks it; throws TError.
    virtual void loadMedia(const wxXmlNode* pElement) = 0;

    // The "media" child of the row element pRow, the entry it names attached; null, with no
    // medium, when the last child is not "media". The row has no medium either when the
    // library finds no entry.
    const wxXmlNode* doLoadMedia(const wxXmlNode* pRow);
    // The parameter's range (0 to the medium's length) and slope (the rate), and a copy of
    // its type for a stream that has none yet. Needed before the row is rendered.
    void setParamType();

    // A new unattached row (video or audio) playing entry pIndex. With pLink, the other
    // track's row of the same medium, its parameter follows pLink's by a formula.
    static TZVMediaSourceRow* CreateMediaSource(bool pVideo, int pIndex,
                                                const TZVMediaSourceRow* pLink);

    // The library entry; -1 without one.
    int aMediaIndex;
    // The entry's medium; null without one, or while it is offline. Not owned.
    TZVMedia* aMedia;
    // The attributes of "media" read while the medium was offline: the stored
    // characteristics it must be checked against once it is found again.
    std::vector<std::pair<wxString, wxString>> aOfflineAttributes;

protected:
    // The last child of the row element pRow: where GetXmlImage appends "media" and the
    // reader looks for it. Null without children.
    static wxXmlNode* MediaElement(const wxXmlNode* pRow);
    // The "media" element's text for the entry.
    wxString MediaText() const;

private:
    // Takes the entry pIndex and its medium (none for a negative index).
    void attachMedia(int pIndex);
    void detachMedia();
    // Deletes the parameter rows, their keys withdrawn.
    void dropParams();
    // The formula that makes the parameter follow pLink's.
    void linkTo(const TZVMediaSourceRow& pLink);
};

class TZVVideoMediaSourceRow
    : public TZVConcreteRow<TZVVideoMediaSourceRow, TZVMediaSourceRow, 1, 0, true> {
public:
    ~TZVVideoMediaSourceRow() override;

    // Adds "l", "w", "h" (image count, width, height) with a medium.
    wxXmlNode* GetXmlImage() const override;
    // Then a new stream.
    void setMedia(int pIndex, bool pFromLink) override;
    // Images per second.
    double getRate() const override;
    // The image count.
    double getLength() const override;
    // Checks "l", "w", "h" against the medium, asking the user when they differ.
    void loadMedia(const wxXmlNode* pElement) override;

    // The row's stream over a new reader of the medium's pictures.
    void setVideoStream();

    static wxIcon* GetIcon();
    static const TControlInfo* getTheControlInfoTab();

    static wxString TheSubType;
};

class TZVAudioMediaSourceRow
    : public TZVConcreteRow<TZVAudioMediaSourceRow, TZVMediaSourceRow, 1, 0, false> {
public:
    TZVAudioMediaSourceRow() : aIsStereo(false) {}
    // Forgets the waveform first.
    ~TZVAudioMediaSourceRow() override;

    // Adds "l", the duration as a number image, with a medium.
    wxXmlNode* GetXmlImage() const override;
    // Forgets the former waveform; then a new stream.
    void setMedia(int pIndex, bool pFromLink) override;
    // Seconds per second: 1.0.
    double getRate() const override;
    // The duration in seconds.
    double getLength() const override;
    // Checks "l" against the medium's duration (bit for bit), asking the user when it differs.
    void loadMedia(const wxXmlNode* pElement) override;
    // The key's pixel leaves the waveform's needs, with a medium.
    void MarkKeyAt(int pX) const override;
    // The block without ticks, then (with a medium) the stereo divider and the waveform.
    void DrawRowSeq(const TZVSeqRect& pRect, int pStep) const override;
    // The waveform is drawn again.
    void OnParamUpdate(const TZVParamRow* pParam) const override;

    // The row's stream over a new reader of the medium's sound; a stereo row is 40 high.
    void setAudioStream();

    static wxIcon* GetIcon();
    static const TControlInfo* getTheControlInfoTab();

    static wxString TheSubType;

    // The medium's sound has more than one channel.
    bool aIsStereo;
};
