// TZVMediaStream: the second base of the media streams, holding the type of the media
// row's parameter that drives the stream.
#pragma once

class TTypeDef;

class TZVMediaStream {
public:
    TZVMediaStream() : aType(nullptr) {}
    TZVMediaStream(const TZVMediaStream&) = delete;
    TZVMediaStream& operator=(const TZVMediaStream&) = delete;
    // Deletes the type.
    ~TZVMediaStream();

    // Stores a copy of pType (texts copied). Called once per stream: a second call is
    // reported ("aType == __null") and the new copy replaces the old one.
    void SetType(const TTypeDef& pType);
    bool HasType() const { return aType != nullptr; }

protected:
    TTypeDef* aType; // owned; null until SetType
};
