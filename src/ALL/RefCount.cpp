#include "ALL/RefCount.h"

#include "ALL/Assert.h"

TRefCounted::~TRefCounted() = default;

int32_t TRefCounted::AddRef() {
    return aRefCount.fetch_add(1) + 1;
}

int32_t TRefCounted::Release() {
    const int32_t before = aRefCount.fetch_sub(1);
    if (before == 1) {
        delete this;
        return 0;
    }
    if (before < 1)
        ZV_FAIL("aRefCount > 1");
    return before - 1;
}

int32_t TRefCounted::GetRefCount() const {
    return aRefCount.load();
}

TRefHolder::~TRefHolder() {
    if (aObject)
        aObject->Release();
}
