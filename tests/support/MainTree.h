// Roots built as the host builds them, for tests, benchmarks and fuzz targets. Header only.
#pragma once

#include "DLL/Row/MainRow.h"

#include <memory>

// A fresh root: one sequence pDuration long, its sources shown.
inline std::unique_ptr<TZVMainMixerRow> MakeMainRoot(long pDuration) {
    std::unique_ptr<TZVMainMixerRow> root(new TZVMainMixerRow);
    root->CompleteCreate(pDuration);
    return root;
}

// A root read from its stored element: the fresh root's sequence gives way to the stored
// one. Throws what the reading throws (the root is then gone).
inline std::unique_ptr<TZVMainMixerRow> LoadMainRoot(const wxXmlNode* pElement, long pDuration) {
    std::unique_ptr<TZVMainMixerRow> root = MakeMainRoot(pDuration);
    root->Inherit(true);
    // On a throw the root deletes itself.
    TZVMainMixerRow* loading = root.release();
    loading->CreateAllChildren(pElement);
    return std::unique_ptr<TZVMainMixerRow>(loading);
}
