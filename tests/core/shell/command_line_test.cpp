#include "shell/command_line.h"

#include <gtest/gtest.h>

namespace tarnova {
namespace {

std::vector<std::string> tokensOf(std::string_view line) {
    CommandTokenizer tokenizer(line);
    std::vector<std::string> tokens;
    while (auto token = tokenizer.NextCommandToken()) {
        tokens.push_back(*token);
    }
    return tokens;
}

TEST(CommandTokenizer, SplitsAtBlanksAndSkipsRunsOfThem) {
    EXPECT_EQ(tokensOf("a.pks  b.pks   c.pks"),
              (std::vector<std::string>{"a.pks", "b.pks", "c.pks"}));
    EXPECT_TRUE(tokensOf("     ").empty());
    EXPECT_TRUE(tokensOf("").empty());
    EXPECT_EQ(tokensOf("  x  "), std::vector<std::string>{"x"});
    // Only the space counts as a blank.
    EXPECT_EQ(tokensOf("a\tb"), std::vector<std::string>{"a\tb"});
}

TEST(CommandTokenizer, QuotedTokensKeepTheirQuotes) {
    EXPECT_EQ(tokensOf("\"x y\" z"), (std::vector<std::string>{"\"x y\"", "z"}));
    // A quote followed by anything but a blank or the end belongs to the token.
    EXPECT_EQ(tokensOf("\"x\"y z\""), std::vector<std::string>{"\"x\"y z\""});
    // No closing quote: the token runs to the end.
    EXPECT_EQ(tokensOf("a \"b c"), (std::vector<std::string>{"a", "\"b c"}));
    EXPECT_EQ(tokensOf("\"\""), std::vector<std::string>{"\"\""});
}

TEST(CommandTokenizer, JoinedArgumentsTokenizeBack) {
    const std::vector<std::string> arguments{"-log", "my data.pks", "b.pks"};
    EXPECT_EQ(joinCommandLine(arguments), "-log \"my data.pks\" b.pks");
    EXPECT_EQ(tokensOf(joinCommandLine(arguments)),
              (std::vector<std::string>{"-log", "\"my data.pks\"", "b.pks"}));
}

} // namespace
} // namespace tarnova
