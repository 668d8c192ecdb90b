// The argument parser's rules for names that look like options.
#include "cli/CommandLine.h"

#include <gtest/gtest.h>

namespace {

TEST(CliArguments, DashAloneIsARootAndDoubleDashEndsTheOptions) {
    struct Case {
        std::vector<std::string> arguments;
        std::string root;
        bool print0;
    };
    const Case cases[] = {
        {{"-"}, "-", false},
        {{"--", "-x"}, "-x", false},
        {{"--print0", "--", "--print0"}, "--print0", true},
    };
    for (const Case& test : cases) {
        std::optional<CommandLine> parsed = ParseCommandLine(test.arguments, {"--print0"});
        ASSERT_TRUE(parsed) << test.root;
        EXPECT_EQ(parsed->root, test.root);
        EXPECT_EQ(parsed->Has("--print0"), test.print0) << test.root;
    }
}

} // namespace
