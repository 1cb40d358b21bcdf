#include "DLL/Row/MixerRow.h"

#include "support/TestContainerRows.h"
#include "support/XmlText.h"

#include <wx/xml/xml.h>

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

namespace {

// A mixer that lifts the name rule: its sources keep the names they are given, so several
// may bear one.
class TTiedMixerRow : public TTestMixerRow {
public:
    void DeconflictSource(TZVSourceRow*) override {}
};

// The answer of findSource as the list walk gives it.
TZVSourceRow* Walk(const TZVMixerRow& pMixer, const wxString& pName, const TZVSourceRow* pExcept) {
    for (TZVSourceRow* source : pMixer.aSourceChildList)
        if (source != pExcept && source->aName == pName)
            return source;
    return nullptr;
}

TZVSourceRow* At(const TZVMixerRow& pMixer, size_t pIndex) {
    auto it = pMixer.aSourceChildList.begin();
    std::advance(it, pIndex);
    return *it;
}

// Names that clash with each other and with what the name rule makes of them.
const wchar_t* const NAMES[] = {L"a", L"b", L"a-1", L"a-2", L"b1", L"b2", L""};

class MixerSourceNames : public ::testing::Test {
protected:
    MixerSourceNames() : aRoot(MakeTestRoot()) {
        aMixers[0] = MakeRow<TTestMixerRow>(L"Unique");
        aMixers[1] = MakeRow<TTiedMixerRow>(L"Tied");
        for (TZVMixerRow* mixer : aMixers)
            aRoot->InsertSource(mixer, nullptr);
    }

    wxString Name() { return NAMES[aRandom() % (sizeof(NAMES) / sizeof(NAMES[0]))]; }
    TZVMixerRow& Mixer() { return *aMixers[aRandom() % 2]; }
    // A source of pMixer, or null (the end) when pEnd and the draw says so or it has none.
    TZVSourceRow* Source(const TZVMixerRow& pMixer, bool pEnd) {
        const size_t count = pMixer.aSourceChildList.size() + (pEnd ? 1 : 0);
        const size_t index = count == 0 ? 0 : aRandom() % count;
        return index < pMixer.aSourceChildList.size() ? At(pMixer, index) : nullptr;
    }

    // One random edit: insertion (made or read, a source or a mixer), deletion, move between
    // the mixers, or a rename (Rename or SetProperties).
    void Edit() {
        TZVMixerRow& mixer = Mixer();
        TZVSourceRow* source = Source(mixer, false);
        const unsigned kind =
            mixer.aSourceChildList.size() > 30 ? 3 + aRandom() % 5 : aRandom() % 8;
        if (!source && kind >= 3) {
            mixer.InsertSource(MakeRow<TTestSourceRow>(Name()), nullptr);
            return;
        }
        switch (kind) {
        case 0:
            mixer.InsertSource(MakeRow<TTestSourceRow>(Name()), Source(mixer, true));
            break;
        case 1: {
            const std::unique_ptr<wxXmlNode> element(ParseXml(ClipXml(Name(), L"<seq-list/>")));
            const wxXmlNode* node = element.get();
            TZVSourceRow::Create(node, &mixer, Source(mixer, true));
            break;
        }
        case 2:
            mixer.InsertSource(MakeRow<TTestMixerRow>(Name()), Source(mixer, true));
            break;
        case 3:
            delete source;
            break;
        case 4: {
            source->Detach();
            TZVMixerRow& target = Mixer();
            target.InsertSource(source, Source(target, true));
            break;
        }
        case 5: {
            const std::unique_ptr<wxXmlNode> element(
                ParseXml(L"<source type=\"clip\" name=\"" + Name() + L"\"/>"));
            source->SetProperties(element.get());
            break;
        }
        default:
            source->Rename(Name());
            break;
        }
    }

    // Every look-up answers as the walk: each name, with no row excepted, with the first
    // bearer excepted and with a random source excepted.
    void ExpectWalkAnswers(int pStep) {
        for (const TZVMixerRow* mixer : aMixers) {
            std::vector<wxString> names(std::begin(NAMES), std::end(NAMES));
            for (const TZVSourceRow* source : mixer->aSourceChildList)
                names.push_back(source->aName);
            for (const wxString& name : names) {
                TZVSourceRow* first = Walk(*mixer, name, nullptr);
                const TZVSourceRow* excepted[] = {nullptr, first, Source(*mixer, true)};
                for (const TZVSourceRow* except : excepted)
                    ASSERT_EQ(mixer->findSource(name, except), Walk(*mixer, name, except))
                        << "step " << pStep << ", " << mixer->aName << " " << name;
            }
        }
    }

    std::unique_ptr<TTestMixerRow> aRoot;
    TZVMixerRow* aMixers[2];
    std::mt19937 aRandom{37};
};

} // namespace

TEST_F(MixerSourceNames, LookUpsAnswerAsTheWalkThroughRandomEdits) {
    for (int step = 0; step < 3000; ++step) {
        Edit();
        ExpectWalkAnswers(step);
        if (HasFatalFailure())
            return;
    }
}

TEST_F(MixerSourceNames, BetweenSourcesOfOneNameTheFirstInListOrderAnswers) {
    TZVMixerRow& tied = *aMixers[1];
    TZVSourceRow* x1 = MakeRow<TTestSourceRow>(L"x");
    TZVSourceRow* x2 = MakeRow<TTestSourceRow>(L"x");
    TZVSourceRow* y = MakeRow<TTestSourceRow>(L"y");
    tied.InsertSource(x2, nullptr);
    tied.InsertSource(y, nullptr);
    tied.InsertSource(x1, x2);
    EXPECT_EQ(tied.findSource(L"x", nullptr), x1);
    EXPECT_EQ(tied.findSource(L"x", x1), x2);
    y->Rename(L"x");
    x2->Rename(L"z");
    EXPECT_EQ(tied.findSource(L"x", x1), y);
    EXPECT_EQ(tied.findSource(L"z", nullptr), x2);
    x1->Detach();
    tied.InsertSource(x1, nullptr);
    EXPECT_EQ(tied.findSource(L"x", nullptr), y);
    EXPECT_EQ(tied.findSource(L"x", y), x1);
}
