// The slot through which the editor module makes the sound summaries of media.
#pragma once

class TZVMedia;
class TZVWaveform;

class IZVWaveformFactory {
public:
    // The module's factory, installed by the module; null until then.
    static IZVWaveformFactory* theSingleton;

    // A new summary of pMedia's sound.
    virtual TZVWaveform* Create(TZVMedia* pMedia) = 0;
    // Frees a summary made by Create; null is accepted.
    virtual void Destroy(TZVWaveform* pWaveform) = 0;

protected:
    virtual ~IZVWaveformFactory();
};
