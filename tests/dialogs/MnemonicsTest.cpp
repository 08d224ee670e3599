// Every menu item gets a letter of its own.
#include "dialogs/Mnemonics.h"

#include <gtest/gtest.h>

namespace zmk {
namespace {

TEST(Mnemonics, WordStartsFirstThenAnyLetterOwnOnesKept)
{
    EXPECT_EQ(WithMnemonics({"New project", "Open", "Re-open", "Save", "Save As...", "Properties", "Exit"}),
              (std::vector<std::string>{"&New project", "&Open", "&Re-open", "&Save", "Save &As...",
                                        "&Properties", "&Exit"}));
    // A caption's own letter is kept and taken from the others; "&&" is a literal ampersand.
    EXPECT_EQ(WithMnemonics({"Solve", "&Step by Step", "R&&D notes"}),
              (std::vector<std::string>{"S&olve", "&Step by Step", "&R&&D notes"}));
    // No letter left: the caption stays as it is.
    EXPECT_EQ(WithMnemonics({"ab", "ba", "a"}), (std::vector<std::string>{"&ab", "&ba", "a"}));
    EXPECT_EQ(WithMnemonics({}), std::vector<std::string>{});
}

} // namespace
} // namespace zmk
