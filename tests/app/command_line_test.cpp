#include <gtest/gtest.h>

#include "app/command_line.h"

namespace qi {
namespace {

using Words = std::vector<std::string>;

TEST(CommandLine, QuotesGroupAndVanishWhileBackslashesStayPlain) {
    // The program passes itself its folder quoted and ending in a backslash.
    EXPECT_EQ(SplitCommandLine("setup.exe \"C:\\Program Files\\Disc\\\""), (Words{"setup.exe", "C:\\Program Files\\Disc\\"}));
    EXPECT_EQ(SplitCommandLine("\"E:\\\""), (Words{"E:\\"}));
    EXPECT_EQ(SplitCommandLine("  a   b\tc  "), (Words{"a", "b", "c"}));
    // A quote in the middle joins stretches; an empty pair is an argument.
    EXPECT_EQ(SplitCommandLine("ab\"c d\"e \"\" f"), (Words{"abc de", "", "f"}));
    EXPECT_EQ(SplitCommandLine("\"unclosed stretch"), (Words{"unclosed stretch"}));
    EXPECT_TRUE(SplitCommandLine("   ").empty());
}

TEST(CommandLine, OwnOptionsNeverCountAsTheFirstArgument) {
    CommandLine line = ParseCommandLine({"--silent", "--dir=C:\\Games\\X", "D:\\Disc\\", "--accept-license", "more"});
    EXPECT_EQ(line.Arguments, (Words{"D:\\Disc\\", "more"}));
    EXPECT_TRUE(line.Has("silent"));
    EXPECT_EQ(line.Option("dir"), "C:\\Games\\X");
    EXPECT_EQ(line.Option("accept-license", "x"), "");
    EXPECT_FALSE(line.Has("log"));
    // "--" alone and "-x" are arguments, not options.
    EXPECT_EQ(ParseCommandLine({"--", "-x"}).Arguments, (Words{"--", "-x"}));

    // Options handed to a copy of the program come back as they were given.
    std::string passed = JoinOptions({"--dir=C:\\My Games\\", "--silent", "--bad=\"x\""});
    EXPECT_EQ(ParseCommandLine(SplitCommandLine("\"C:\\Disc\\\" " + passed)).OptionTexts,
              (Words{"--dir=C:\\My Games\\", "--silent"}));
}

}  // namespace
}  // namespace qi
