// The manual page tarnova-cli(1) keeps up with the tool: every subcommand and every option that
// the tool's usage text names is described there.
#include "core/support/cli_run.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <set>

namespace tarnova {
namespace {

// The page as man shows it: "\-" is a hyphen.
std::string manualPageText() {
    std::ifstream stream(std::string(TARNOVA_SOURCE_DIR) + "/docs/tarnova-cli.1");
    std::string page(std::istreambuf_iterator<char>(stream), {});
    return std::regex_replace(page, std::regex(R"(\\-)"), "-");
}

std::set<std::string> matches(const std::string& text, const std::regex& pattern) {
    std::set<std::string> found;
    for (auto match = std::sregex_iterator(text.begin(), text.end(), pattern);
         match != std::sregex_iterator(); ++match) {
        found.insert((*match)[1]);
    }
    return found;
}

TEST(ManualPage, DescribesEverySubcommandAndOption) {
    test::TempFolder folder;
    const test::CliRun usage = test::runCli(folder, "");
    ASSERT_EQ(usage.exitCode, 2);
    const std::set<std::string> commands = matches(usage.err, std::regex(R"(tarnova-cli (\w+))"));
    const std::set<std::string> options = matches(usage.err, std::regex(R"((--[a-z0-9-]+))"));
    ASSERT_GE(commands.size(), 4u);
    ASSERT_FALSE(options.empty());

    const std::string page = manualPageText();
    const std::set<std::string> sections = matches(page, std::regex(R"(\n\.SS (\w+))"));
    const std::set<std::string> synopsis =
        matches(page.substr(0, page.find(".SH DESCRIPTION")), std::regex(R"(tarnova-cli (\w+))"));
    const std::set<std::string> described =
        matches(page.substr(page.find(".SH COMMANDS")), std::regex(R"((--[a-z0-9-]+))"));
    for (const std::string& command : commands) {
        EXPECT_TRUE(sections.contains(command)) << command << " has no .SS section";
        EXPECT_TRUE(synopsis.contains(command)) << command << " is not in the SYNOPSIS";
    }
    for (const std::string& option : options) {
        EXPECT_TRUE(described.contains(option)) << option << " is not described";
    }
}

} // namespace
} // namespace tarnova
