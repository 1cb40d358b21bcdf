#include "DLL/Bas/MediaStream.h"

#include "ALL/Assert.h"
#include "ALL/TypeDef.h"

TZVMediaStream::~TZVMediaStream() {
    delete aType;
}

void TZVMediaStream::SetType(const TTypeDef& pType) {
    ZV_ASSERT(aType == NULL);
    TTypeDef* type = new TTypeDef(pType);
    delete aType;
    aType = type;
}
