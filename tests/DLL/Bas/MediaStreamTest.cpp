#include "DLL/Bas/MediaStream.h"

#include "ALL/TypeDef.h"
#include "support/AssertCapture.h"

#include <gtest/gtest.h>

namespace {

class TTypedStream : public TZVMediaStream {
public:
    const TTypeDef* Type() const { return aType; }
};

} // namespace

TEST(MediaStream, SetTypeKeepsItsOwnCopyAndASecondCallIsReportedAndReplacesIt) {
    TTypedStream stream;
    TTypeDef text(paramTypeTEXT);
    text.aDefault = TVariant(wxString(L"first"));
    stream.SetType(text);
    text.aDefault.SetText(L"changed"); // the copy has its own text
    ASSERT_NE(stream.Type(), nullptr);
    EXPECT_EQ(stream.Type()->aDefault, TVariant(wxString(L"first")));
    EXPECT_ASSERTS(stream.SetType(COLOR_PARAM_TYPE()), "aType == __null");
    EXPECT_EQ(stream.Type()->aType, paramTypeCOLOR);
}
