// The data check: every input listed with a verdict that follows its value, the checks of the
// solve on a rated job and none on one that did not solve, and the page it writes.
#include "app/DataCheck.h"

#include "support/ProjectTestSession.h"
#include "support/TempDir.h"

#include "base/FileIO.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace zmk {
namespace {

const TCheckLine* find(const std::vector<TCheckLine>& lines, const std::string& caption)
{
    const auto it =
        std::find_if(lines.begin(), lines.end(), [&](const TCheckLine& l) { return l.Caption == caption; });
    return it == lines.end() ? nullptr : &*it;
}

TEST(DataCheck, ListsEveryInputAndTheSolvesChecks)
{
    for (const char* kind : {"zmk", "hwc", "cwc"}) {
        SCOPED_TRACE(kind);
        test::ProjectJob p(kind);
        p.session.Solve();
        ASSERT_TRUE(p.job.Solved());
        const TDataCheck check = MakeDataCheck(p.job);
        for (const TEntryFieldInfo& info : EntryFields()) {
            const TCheckLine* line = check.Input(info.Name);
            ASSERT_TRUE(line) << info.Name;
            EXPECT_FALSE(line->Range.empty()) << info.Name;
            EXPECT_FALSE(line->Verdict.empty()) << info.Name;
        }
        // The default jobs rate cleanly: the physical checks pass.
        EXPECT_EQ(check.Faults(), 0) << DataCheckText(check);
        for (const char* c :
             {"Entering air", "Leaving temperatures", "Energy balance", "Effectiveness", "Liquid"}) {
            const TCheckLine* line = find(check.Results, c);
            ASSERT_TRUE(line) << c;
            EXPECT_EQ(line->Level, TCheckLevel::Ok) << c << ": " << line->Verdict;
        }
    }
}

TEST(DataCheck, VerdictsFollowTheValues)
{
    test::ProjectJob p("cwc");
    const TEntryFieldInfo& rows = EntryFieldInfo(TEntryField::edRows);
    const TEntryFieldInfo& velocity = EntryFieldInfo(TEntryField::edFaceVelocity);
    const struct
    {
        TEntryField field;
        double value;
        TCheckLevel level;
        const char* words;
    } cases[] = {
        {TEntryField::edRows, rows.RangeHi, TCheckLevel::Note, "highest value"},
        {TEntryField::edRows, rows.RangeHi + 5, TCheckLevel::Fault, "outside the range"},
        {TEntryField::edFaceVelocity, velocity.RangeLo + 0.9 * (1.5 - velocity.RangeLo), TCheckLevel::Note,
         "usually sized"},
        {TEntryField::edFaceVelocity, 2.5, TCheckLevel::Ok, "within range"},
        {TEntryField::edFluidInTemp, p.job.Inputs.edOnCoil.Value, TCheckLevel::Fault, "nothing to exchange"},
    };
    for (const auto& c : cases) {
        const double old = p.job.Inputs[c.field].Value;
        p.job.Inputs[c.field].Value = c.value;
        const TDataCheck check = MakeDataCheck(p.job);
        const TCheckLine* line = check.Input(EntryFieldInfo(c.field).Name);
        ASSERT_TRUE(line);
        EXPECT_EQ(line->Level, c.level) << EntryFieldInfo(c.field).Name << " " << c.value;
        EXPECT_NE(line->Verdict.find(c.words), std::string::npos) << line->Verdict;
        p.job.Inputs[c.field].Value = old;
    }
}

TEST(DataCheck, UnsolvedJobHasNoResultChecksAndThePageWrites)
{
    test::ProjectJob p("zmk");
    p.job.MarkNotSolved();
    const TDataCheck check = MakeDataCheck(p.job);
    EXPECT_FALSE(check.Solved);
    EXPECT_TRUE(check.Results.empty());
    EXPECT_NE(DataCheckText(check).find("none: the job is not solved"), std::string::npos);

    testing::TempDir dir;
    const std::filesystem::path page = WriteDataCheckPage(check, "Zemtor <test>", dir.path());
    const std::string html = ReadWholeFileOrThrow(page, 1 << 20);
    EXPECT_NE(html.find("Zemtor &lt;test&gt;"), std::string::npos);
    EXPECT_NE(html.find("Air temperature on"), std::string::npos);
}

} // namespace
} // namespace zmk
