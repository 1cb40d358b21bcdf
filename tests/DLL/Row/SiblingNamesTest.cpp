#include "DLL/Row/SiblingNames.h"

#include "DLL/Row/MixerRow.h"

#include "support/FakeRows.h"
#include "support/TestContainerRows.h"
#include "support/XmlText.h"

#include <wx/xml/xml.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <random>
#include <vector>

namespace {

bool Bears(const std::vector<wxString>& pNames, const wxString& pName) {
    return std::find(pNames.begin(), pNames.end(), pName) != pNames.end();
}

// incName(pBase, k) for the first k from 1 that none of pNames is, trying one k after the other.
wxString FirstFreeCandidate(const wxString& pBase, const std::vector<wxString>& pNames) {
    for (int k = 1;; ++k)
        if (!Bears(pNames, TZVSourceRow::incName(pBase, k)))
            return TZVSourceRow::incName(pBase, k);
}

// The name rule as it reads: pName when no other bears it, else the first free candidate.
wxString LiteralFreeName(const wxString& pName, const std::vector<wxString>& pOthers) {
    return Bears(pOthers, pName) ? FirstFreeCandidate(pName, pOthers) : pName;
}

// Rows bearing pNames, filed in pIndex.
class TFiledRows {
public:
    TFiledRows(TSiblingNames& pIndex, const std::vector<wxString>& pNames) : aIndex(pIndex) {
        for (const wxString& name : pNames)
            Add(name);
    }
    ~TFiledRows() {
        for (auto& row : aRows)
            aIndex.Unfile(row.get());
    }
    TFakeStreamRow& Add(const wxString& pName) {
        aRows.push_back(std::make_unique<TFakeStreamRow>(rowKindSOURCE, pName));
        aIndex.File(aRows.back().get());
        return *aRows.back();
    }
    void Remove(size_t pIndex) {
        aIndex.Unfile(aRows[pIndex].get());
        aRows.erase(aRows.begin() + long(pIndex));
    }
    std::vector<wxString> Names() const {
        std::vector<wxString> names;
        for (const auto& row : aRows)
            names.push_back(row->aName);
        return names;
    }

    TSiblingNames& aIndex;
    std::vector<std::unique_ptr<TFakeStreamRow>> aRows;
};

} // namespace

// {names borne, base, first free name}: counts after a name without a run, runs carried on,
// zero-padded runs and the runs that outgrow them, runs too long for any integer.
TEST(SiblingNames, TheFirstFreeNameIsTheRulesFirstFreeCandidate) {
    const struct {
        std::vector<wxString> aNames;
        const wchar_t* aBase;
        const wchar_t* aFree;
    } cases[] = {
        {{}, L"clip", L"clip-1"},
        {{L"clip", L"clip-1", L"clip-2"}, L"clip", L"clip-3"},
        {{L"clip-1", L"clip-3"}, L"clip", L"clip-2"},
        {{L"clip-0", L"clip-01", L"clip-1a"}, L"clip", L"clip-1"},
        {{L"take9"}, L"take9", L"take10"},
        {{L"take9", L"take10", L"take11"}, L"take9", L"take12"},
        {{L"take9", L"take010"}, L"take9", L"take10"},
        {{L"Blur07", L"Blur08"}, L"Blur07", L"Blur09"},
        {{L"a08", L"a09"}, L"a07", L"a10"},
        {{L"a08", L"a09", L"a10", L"a11"}, L"a07", L"a12"},
        {{L"a008", L"a009", L"a10"}, L"a007", L"a010"},
        {{L"a8", L"a08"}, L"a07", L"a09"},
        {{L"007", L"008", L"009"}, L"007", L"010"},
        {{L"", L"-1"}, L"", L"-2"},
        {{L"-1", L"-2"}, L"-1", L"-3"},
        {{L"9", L"10"}, L"9", L"11"},
        {{L"x99999999999999999999", L"x100000000000000000000"},
         L"x99999999999999999999",
         L"x100000000000000000001"},
        {{L"x099999999999999999999"}, L"x099999999999999999998", L"x100000000000000000000"},
        {{L"Take\u0665", L"Take\u0665-1"}, L"Take\u0665", L"Take\u0665-2"},
    };
    for (const auto& c : cases) {
        TSiblingNames index;
        TFiledRows rows(index, c.aNames);
        EXPECT_EQ(index.FirstFree(c.aBase), c.aFree) << c.aBase;
        EXPECT_EQ(FirstFreeCandidate(c.aBase, c.aNames), c.aFree) << c.aBase;
    }
}

// Names drawn from a few families that make each other's candidates, filed and unfiled at
// random: the first free name of every base is the literal rescan's.
TEST(SiblingNames, FirstFreeNamesFollowTheRescanAsNamesComeAndGo) {
    const wchar_t* const bases[] = {L"c",   L"c-",  L"c0", L"c00", L"c9",
                                    L"c09", L"c-0", L"9",  L"",    L"-"};
    std::mt19937 random(11);
    const auto name = [&] {
        const wxString base = bases[random() % std::size(bases)];
        switch (random() % 4) {
        case 0:
            return base;
        case 1:
            return base + wxString::Format(L"%u", unsigned(random() % 30));
        case 2:
            return base + wxString::Format(L"-%u", unsigned(random() % 30));
        default:
            return base + wxString::Format(L"%02u", unsigned(random() % 30));
        }
    };
    TSiblingNames index;
    TFiledRows rows(index, {});
    for (int step = 0; step < 2000; ++step) {
        if (rows.aRows.size() > 60 || (!rows.aRows.empty() && random() % 3 == 0))
            rows.Remove(random() % rows.aRows.size());
        else
            rows.Add(name());
        for (int query = 0; query < 8; ++query) {
            const wxString base = name();
            ASSERT_EQ(index.FirstFree(base), FirstFreeCandidate(base, rows.Names()))
                << "step " << step << ": " << base;
        }
    }
}

namespace {

// A root with two mixers "M" and "N" and a source "S" of "M"; their sources and S's filters are
// edited at random while a list of names per list models what the name rule gives.
class TNamedTree {
public:
    TNamedTree() : aRoot(MakeTestRoot()) {
        for (const wchar_t* name : {L"M", L"N"}) {
            aMixers.push_back(MakeRow<TTestMixerRow>(name));
            aRoot->InsertSource(aMixers.back(), nullptr);
        }
        aSource = MakeRow<TTestSourceRow>(L"S");
        aMixers[0]->InsertSource(aSource, nullptr);
        aSourceNames[0] = {L"S"};
    }

    wxString Name() {
        static const wchar_t* const theNames[] = {L"a",   L"a-1", L"a-2", L"a9", L"a10",
                                                  L"a09", L"",    L"-1",  L"S"};
        return theNames[aRandom() % std::size(theNames)];
    }
    size_t Pick(size_t pCount) { return pCount == 0 ? 0 : aRandom() % pCount; }
    template <typename TList>
    static typename TList::value_type At(const TList& pList, size_t pIndex) {
        return pIndex < pList.size() ? *std::next(pList.begin(), long(pIndex)) : nullptr;
    }
    static std::vector<wxString> Without(std::vector<wxString> pNames, size_t pIndex) {
        pNames.erase(pNames.begin() + long(pIndex));
        return pNames;
    }

    // One edit of a mixer's sources: inserted (made or read), deleted, moved, renamed
    // (Rename or SetProperties), or deleted and put back from its image as undo does.
    void EditSources() {
        const size_t m = Pick(2);
        TZVMixerRow& mixer = *aMixers[m];
        std::vector<wxString>& names = aSourceNames[m];
        const size_t at = Pick(names.size() + 1);
        const size_t which = Pick(names.size());
        TZVSourceRow* source = At(mixer.aSourceChildList, which);
        // S stays, to hold the filters.
        const bool editable = source && source != aSource;
        switch (aRandom() % 7) {
        case 0: {
            const wxString name = Name();
            names.insert(names.begin() + long(at), LiteralFreeName(name, names));
            mixer.InsertSource(MakeRow<TTestSourceRow>(name), At(mixer.aSourceChildList, at));
            break;
        }
        case 1:
            if (!aImages.empty()) {
                // Undo puts a deleted source back from its image.
                const std::unique_ptr<wxXmlNode> image(aImages.back().release());
                aImages.pop_back();
                names.insert(names.begin() + long(at),
                             LiteralFreeName(image->GetAttribute(L"name"), names));
                const wxXmlNode* element = image.get();
                TZVSourceRow::Create(element, &mixer, At(mixer.aSourceChildList, at));
            }
            break;
        case 2:
            if (editable) {
                aImages.emplace_back(source->GetXmlImage());
                names.erase(names.begin() + long(which));
                delete source;
            }
            break;
        case 3:
            if (editable) {
                const size_t to = Pick(2);
                const wxString name = names[which];
                names.erase(names.begin() + long(which));
                source->Detach();
                std::vector<wxString>& target = aSourceNames[to];
                const size_t before = Pick(target.size() + 1);
                target.insert(target.begin() + long(before), LiteralFreeName(name, target));
                aMixers[to]->InsertSource(source, At(aMixers[to]->aSourceChildList, before));
            }
            break;
        case 4:
        case 5:
            if (editable) {
                const wxString name = Name();
                names[which] = LiteralFreeName(name, Without(names, which));
                Rename(*source, name, aRandom() % 2 == 0);
            }
            break;
        default:
            break;
        }
    }
    // One edit of S's filters: inserted, deleted, moved within the chain or renamed.
    void EditFilters() {
        const size_t at = Pick(aFilterNames.size() + 1);
        const size_t which = Pick(aFilterNames.size());
        TZVFilterRow* filter = At(aSource->aFilterChildList, which);
        switch (filter ? aRandom() % 4 : 0) {
        case 0: {
            const wxString name = Name();
            aFilterNames.insert(aFilterNames.begin() + long(at),
                                LiteralFreeName(name, aFilterNames));
            aSource->InsertFilter(MakeFilter(L"Opacity", name), At(aSource->aFilterChildList, at));
            break;
        }
        case 1:
            aFilterNames.erase(aFilterNames.begin() + long(which));
            delete filter;
            break;
        case 2: {
            const wxString name = aFilterNames[which];
            aFilterNames.erase(aFilterNames.begin() + long(which));
            aSource->RemoveFilter(filter);
            const size_t before = Pick(aFilterNames.size() + 1);
            aFilterNames.insert(aFilterNames.begin() + long(before), name);
            aSource->InsertFilter(filter, At(aSource->aFilterChildList, before));
            break;
        }
        default: {
            const wxString name = Name();
            aFilterNames[which] = LiteralFreeName(name, Without(aFilterNames, which));
            Rename(*filter, name, aRandom() % 2 == 0);
            break;
        }
        }
    }
    void Rename(TZVBaseRow& pRow, const wxString& pName, bool pFromElement) {
        if (!pFromElement) {
            pRow.Rename(pName);
            return;
        }
        const std::unique_ptr<wxXmlNode> element(ParseXml(L"<row name=\"" + pName + L"\"/>"));
        pRow.SetProperties(element.get());
    }

    template <typename TList>
    static std::vector<wxString> Names(const TList& pList) {
        std::vector<wxString> names;
        for (const TZVBaseRow* row : pList)
            names.push_back(row->aName);
        return names;
    }

    std::unique_ptr<TTestMixerRow> aRoot;
    std::vector<TZVMixerRow*> aMixers;
    TZVSourceRow* aSource;
    std::vector<wxString> aSourceNames[2];
    std::vector<wxString> aFilterNames;
    std::vector<std::unique_ptr<wxXmlNode>> aImages;
    std::mt19937 aRandom{29};
};

} // namespace

// Every edit that names a source or a filter gives it the name the rule's rescan gives.
TEST(SiblingNames, SourcesAndFiltersAreNamedAsTheRescanNamesThemThroughEveryEdit) {
    TNamedTree tree;
    for (int step = 0; step < 3000; ++step) {
        tree.EditSources();
        tree.EditFilters();
        for (size_t m = 0; m < 2; ++m)
            ASSERT_EQ(TNamedTree::Names(tree.aMixers[m]->aSourceChildList), tree.aSourceNames[m])
                << "step " << step;
        ASSERT_EQ(TNamedTree::Names(tree.aSource->aFilterChildList), tree.aFilterNames)
            << "step " << step;
    }
}
