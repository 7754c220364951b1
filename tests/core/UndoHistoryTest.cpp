// The bounded history on its own: merging, groups, the bound, and the names of changes.
#include "core/UndoHistory.h"

#include <gtest/gtest.h>

#include <limits>

namespace
{
// A step that sets the size of tag h1 from before to after.
UndoStep SizeStep(int before, int after, long long time, const wxString& key = wxS("style:h1:size"))
{
    UndoStep step;
    step.name = wxS("size change");
    step.key = key;
    step.time = time;
    UndoTagChange change;
    change.name = wxS("h1");
    change.hadBefore = change.hasAfter = true;
    change.before.size = before;
    change.after.size = after;
    step.tags.push_back(change);
    return step;
}

int SizeAfter(const UndoStep* step)
{
    return step ? step->tags.at(0).after.size : -1;
}

int SizeBefore(const UndoStep* step)
{
    return step ? step->tags.at(0).before.size : -1;
}
}

TEST(UndoHistoryTest, EditsOfOneFieldMergeUntilAPauseOrAnotherField)
{
    UndoHistory history;
    history.Record(SizeStep(40, 41, 0));
    history.Record(SizeStep(41, 42, 900));
    history.Record(SizeStep(42, 43, 1800));
    ASSERT_EQ(1u, history.UndoCount());
    EXPECT_EQ(40, SizeBefore(history.NextUndo()));
    EXPECT_EQ(43, SizeAfter(history.NextUndo()));

    // A pause of a full second starts a new step; so does another field.
    history.Record(SizeStep(43, 44, 2800));
    history.Record(SizeStep(44, 45, 2900, wxS("style:h1:color")));
    history.Record(SizeStep(45, 46, 3000));
    EXPECT_EQ(4u, history.UndoCount());

    // Steps without a key never merge.
    history.Record(SizeStep(46, 47, 3001, wxEmptyString));
    history.Record(SizeStep(47, 48, 3002, wxEmptyString));
    EXPECT_EQ(6u, history.UndoCount());

    // A sealed step takes nothing more; ending a group that was never begun seals nothing.
    history.Record(SizeStep(48, 49, 3003));
    history.Seal();
    history.Record(SizeStep(49, 50, 3004));
    history.EndGroup();
    history.Record(SizeStep(50, 51, 3005));
    EXPECT_EQ(8u, history.UndoCount());
    EXPECT_EQ(49, SizeBefore(history.NextUndo()));
}

TEST(UndoHistoryTest, TenThousandEditsKeepTheNewestStepsInFlatMemory)
{
    UndoHistory history(kUndoCapacity);
    size_t bytesAfterFirstThousand = 0;
    for (int i = 0; i < 10000; ++i)
    {
        history.Record(SizeStep(i, i + 1, i * 2000LL));
        if (i == 999)
            bytesAfterFirstThousand = history.ApproximateBytes();
    }
    EXPECT_EQ(kUndoCapacity, history.UndoCount());
    EXPECT_EQ(bytesAfterFirstThousand, history.ApproximateBytes());
    EXPECT_EQ(10000, SizeAfter(history.NextUndo()));
    size_t undone = 0;
    const UndoStep* oldest = nullptr;
    while (const UndoStep* step = history.Undo())
    {
        oldest = step;
        ++undone;
    }
    EXPECT_EQ(kUndoCapacity, undone);
    EXPECT_EQ(10000 - static_cast<int>(kUndoCapacity), SizeBefore(oldest));
}

TEST(UndoHistoryTest, ChangesAreNamedForWhatTheyTouch)
{
    // One filter field names the field; several name the filter; a font brings its bold
    // and italic along; other mixtures are a style change.
    const struct
    {
        void (*change)(FontProperties&);
        const wxChar* name;
        const wxChar* field;
    } cases[] = {
        {[](FontProperties&) {}, wxS(""), wxS("")},
        {[](FontProperties& p) { p.color = RgbColour(255, 0, 0); }, wxS("colour change"), wxS("color")},
        {[](FontProperties& p) { p.glow.blurx = 9.5f; }, wxS("glow change"), wxS("glow.blurx")},
        {[](FontProperties& p) { p.glow.blurx = 9.5f; p.glow.enabled = true; }, wxS("glow change"), wxS("glow")},
        {[](FontProperties& p) { p.glow.enabled = p.bevel.enabled = true; }, wxS("effect change"), wxS("filters")},
        {[](FontProperties& p) { p.font = wxS("Big Sans"); p.bold = true; }, wxS("font change"), wxS("font")},
        {[](FontProperties& p) { p.foundry = wxS("Type Co"); }, wxS("font change"), wxS("font")},
        {[](FontProperties& p) { p.size = 12; p.color = RgbColour(0, 0, 1); }, wxS("style change"), wxS("")},
    };
    const FontProperties plain;
    for (const auto& c : cases)
    {
        FontProperties changed = plain;
        c.change(changed);
        wxString name, field;
        DescribeStyleChange(plain, changed, name, field);
        EXPECT_EQ(c.name, name);
        EXPECT_EQ(c.field, field) << c.name;
    }
}

TEST(UndoHistoryTest, SameStyleSeesEveryFieldAndTakesNaNAsItself)
{
    const FontProperties plain;
    // Values of a disabled filter still count: undo must give them back.
    for (void (*change)(FontProperties&) : {+[](FontProperties& p) { p.dropshadow.color = RgbColour(9, 9, 9); },
                                            +[](FontProperties& p) { p.stroked = true; },
                                            +[](FontProperties& p) { p.bevel.type = 2; }})
    {
        FontProperties other = plain;
        change(other);
        EXPECT_FALSE(SameStyle(plain, other));
    }
    FontProperties odd = plain;
    odd.glow.alpha = std::numeric_limits<float>::quiet_NaN();
    const FontProperties oddToo = odd;
    EXPECT_TRUE(SameStyle(odd, oddToo));
    EXPECT_FALSE(SameStyle(odd, plain));
}
