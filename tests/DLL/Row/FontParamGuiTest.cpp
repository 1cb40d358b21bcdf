// The font parameter's font for a frame, read from the host's parameter formulas.
#include "DLL/Row/FontParamRow.h"

#include "DLL/Bas/ABCFormula.h"
#include "DLL/Ctl/FontImage.h"

#include "support/FakeRenderContext.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// Hands out the formulas of a font row at parameter 3 (its components at 4 to 7); an empty
// entry stands for a slot the host left empty.
class TFontContext : public TFakeRenderContext {
public:
    IFormula* const* GetParams(int pFirst, int pKind) const override {
        EXPECT_EQ(pKind, 1);
        return &aFormulas.at(size_t(pFirst - 3));
    }
    long GetFrame(int) const override { return 40; }

    // Constant components; an undefined value leaves its slot empty.
    void Set(const TVariant& pName, const TVariant& pSize, double pBold, double pItalic) {
        aSegments.clear();
        aFormulas.assign(5, nullptr);
        const TVariant values[] = {pName, pSize, TVariant(pBold), TVariant(pItalic)};
        for (int i = 0; i < 4; ++i) {
            if (values[i].IsUndefined())
                continue;
            aSegments.push_back(std::make_unique<TABCFormula>(0, values[i], 100));
            aFormulas[size_t(i + 1)] = aSegments.back().get();
        }
    }

    std::vector<std::unique_ptr<TABCFormula>> aSegments;
    std::vector<IFormula*> aFormulas;
};

wxFont DejaVu() {
    return wxFont(12, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL, false,
                  L"DejaVu Sans");
}

} // namespace

TEST(FontParamGui, FontOfTheFrameComesFromTheComponents) {
    const TVariant face(wxString(L"DejaVu Sans"));
    TFontContext context;
    // A negative size counts by its magnitude.
    context.Set(face, TVariant(-14.0), 1, 0);
    wxFont font = DejaVu();
    EXPECT_TRUE(TZVFontParamRow::UpdateFontValueAtCurTime(&context, 3, font));
    EXPECT_EQ(GetFontImage(font), L"Bi14\tDejaVu Sans");
    EXPECT_EQ(font.GetWeight(), wxFONTWEIGHT_BOLD);
    EXPECT_FALSE(TZVFontParamRow::UpdateFontValueAtCurTime(&context, 3, font));

    // An undefined size takes the default 12.
    context.Set(face, TVariant(), 0, 1);
    EXPECT_TRUE(TZVFontParamRow::UpdateFontValueAtCurTime(&context, 3, font));
    EXPECT_EQ(GetFontImage(font), L"bI12\tDejaVu Sans");

    // No font can be made: a valid font becomes the null font, an invalid one stays.
    for (const TVariant& size : {TVariant(0.4), TVariant(wxString(L"big"))}) {
        context.Set(face, size, 0, 0);
        font = DejaVu();
        EXPECT_TRUE(TZVFontParamRow::UpdateFontValueAtCurTime(&context, 3, font));
        EXPECT_FALSE(font.IsOk());
        EXPECT_FALSE(TZVFontParamRow::UpdateFontValueAtCurTime(&context, 3, font));
    }
    // A slot the host left empty reads as undefined: the name's default face.
    context.Set(TVariant(), TVariant(9.0), 1, 1);
    EXPECT_TRUE(TZVFontParamRow::UpdateFontValueAtCurTime(&context, 3, font));
    EXPECT_EQ(GetFontImage(font), L"BI9\tArial");
}
