#include "support/ParamUndoDriver.h"

#include "support/ParamUndoRound.h"

#include <gtest/gtest.h>

std::unique_ptr<wxXmlNode> TakeUndoImage(TZVParamRow& pRow) {
    std::unique_ptr<wxXmlNode> image = StoredUndoImage(pRow);
    EXPECT_NE(image, nullptr);
    return image;
}

void ApplyUndoImage(TZVParamRow& pRow, const wxXmlNode& pImage) {
    EXPECT_TRUE(ApplyStoredImage(pRow, pImage));
}

void UndoParamEdit(TZVParamRow& pRow) {
    const std::unique_ptr<wxXmlNode> image = TakeUndoImage(pRow);
    if (image)
        ApplyUndoImage(pRow, *image);
}
