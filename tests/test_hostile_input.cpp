// Generated hostile texts against the conversion rules, and through the compute command.
#include <gtest/gtest.h>

#include <cstring>

#include "HostileTexts.h"
#include "ScopedLocale.h"
#include "TestSupport.h"
#include "command/ComputeCommand.h"
#include "command/InputConversion.h"

namespace {

bool SameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(HostileInput, ConversionEqualsTheModel)
{
    const ScopedLocale c("C");
    ASSERT_TRUE(c.Active());
    hostile::Generator gen(20261209);
    for (int n = 0; n < 20000; ++n) {
        const std::string text = gen.Next();
        ASSERT_EQ(ConvertCount(text), hostile::ModelCount(text)) << '"' << text.substr(0, 80) << '"';
        ASSERT_TRUE(SameBits(ConvertAlpha(text), hostile::ModelAlpha(text)))
            << '"' << text.substr(0, 80) << "\": " << ConvertAlpha(text) << " vs "
            << hostile::ModelAlpha(text);
    }
}

TEST(HostileInput, ComputeCommandOutcomes)
{
    hostile::Generator gen(7);
    auto m = MakeRecord();
    for (int n = 0; n < 3000; ++n) {
        // Vary one field at a time; the others stay small and valid.
        const std::string text = gen.Next();
        const int field = n % 3;
        const std::string x = field == 0 ? text : "3";
        const std::string y = field == 1 ? text : "2";
        const std::string a = field == 2 ? text : "1.5";
        RecordingSink sink;
        const ComputeOutcome outcome = RunCompute(*m, {x, y, a}, sink);

        const int divX = hostile::ModelCount(x), divY = hostile::ModelCount(y);
        if (divX > 90 || divY > 30) {
            ASSERT_EQ(outcome, ComputeOutcome::Rejected);
            ASSERT_EQ(sink.lines.size(), 3u);
        } else if (divX < 1 || divY < 1) {
            ASSERT_EQ(outcome, ComputeOutcome::Rejected);
            ASSERT_EQ(sink.lines.size(), 2u);
        } else {
            const int nodes = (divX + 1) * (divY + 1);
            ASSERT_NE(outcome, ComputeOutcome::Rejected);
            ASSERT_EQ(sink.lines.size(),
                      2u + nodes + (divX + 1) + (outcome == ComputeOutcome::SolvedNonFinite));
            ASSERT_EQ(sink.lines[0], "Number of Element = " + std::to_string(divX * divY));
            ASSERT_EQ(sink.tables, 1);
        }
        ASSERT_EQ(m->m_bSolved, outcome != ComputeOutcome::Rejected);
        ASSERT_EQ(sink.repaints, outcome != ComputeOutcome::Rejected);
        ASSERT_TRUE(SameBits(m->m_dAlpha, hostile::ModelAlpha(a)));
    }
}

}  // namespace
