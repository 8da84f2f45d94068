// Where a portable and an installed program keep their help and options.
#include "platform/program_files.h"

#include "core/support/temp_folder.h"
#include "settings/ini_file.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

namespace tarnova {
namespace {

enum class Layout {
    HelpBesideExecutable, // build tree or unpacked folder
    HelpInSharedFolder,   // PREFIX/bin/tarnova and PREFIX/share/tarnova/TARNOVA.HLP
    HelpInBoth,           // an unpacked copy inside a prefix stays portable
    NoHelp,               // help missing: still portable
};

struct LocationCase {
    const char* name;
    Layout layout;
    std::optional<std::string> home;       // "@" stands for the test folder
    std::optional<std::string> configHome; // the same
    bool installed;
    const char* settingsFile; // "@" stands for the test folder
    const char* homeFolder;
};

std::optional<std::string> inFolder(const std::optional<std::string>& text,
                                    const std::string& folder) {
    if (!text || !text->starts_with('@')) {
        return text;
    }
    return folder + text->substr(1);
}

TEST(ProgramFiles, PortableOrInstalledByWhereTheHelpFileLies) {
    const LocationCase cases[] = {
        {"portable", Layout::HelpBesideExecutable, "@/home", std::nullopt, false,
         "@/prefix/bin/TARNOVA.INI", "@/prefix/bin/"},
        {"installed", Layout::HelpInSharedFolder, "@/home", std::nullopt, true,
         "@/home/.config/tarnova/TARNOVA.INI", "@/home/"},
        {"installed, home with slash", Layout::HelpInSharedFolder, "@/home/", std::nullopt, true,
         "@/home/.config/tarnova/TARNOVA.INI", "@/home/"},
        {"installed, XDG_CONFIG_HOME", Layout::HelpInSharedFolder, "@/home", "@/cfg", true,
         "@/cfg/tarnova/TARNOVA.INI", "@/home/"},
        {"installed, empty XDG_CONFIG_HOME", Layout::HelpInSharedFolder, "@/home", "", true,
         "@/home/.config/tarnova/TARNOVA.INI", "@/home/"},
        {"installed, relative XDG_CONFIG_HOME", Layout::HelpInSharedFolder, "@/home", "cfg", true,
         "@/home/.config/tarnova/TARNOVA.INI", "@/home/"},
        {"installed without HOME", Layout::HelpInSharedFolder, std::nullopt, "@/cfg", false,
         "@/prefix/bin/TARNOVA.INI", "@/prefix/bin/"},
        {"installed, relative HOME", Layout::HelpInSharedFolder, "home", std::nullopt, false,
         "@/prefix/bin/TARNOVA.INI", "@/prefix/bin/"},
        {"help in both places", Layout::HelpInBoth, "@/home", std::nullopt, false,
         "@/prefix/bin/TARNOVA.INI", "@/prefix/bin/"},
        {"no help file", Layout::NoHelp, "@/home", std::nullopt, false, "@/prefix/bin/TARNOVA.INI",
         "@/prefix/bin/"},
    };
    for (const LocationCase& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempFolder folder;
        const std::string root = folder.path("");
        const std::string at = root.substr(0, root.size() - 1);
        std::filesystem::create_directories(folder.path("prefix/bin"));
        std::filesystem::create_directories(folder.path("prefix/share/tarnova"));
        if (c.layout == Layout::HelpBesideExecutable || c.layout == Layout::HelpInBoth) {
            folder.write("prefix/bin/TARNOVA.HLP", "<html></html>");
        }
        if (c.layout == Layout::HelpInSharedFolder || c.layout == Layout::HelpInBoth) {
            folder.write("prefix/share/tarnova/TARNOVA.HLP", "<html></html>");
        }
        const UserEnvironment environment{inFolder(c.home, at), inFolder(c.configHome, at)};

        const ProgramFiles files = LocateProgramFiles(at + "/prefix/bin/", environment);
        EXPECT_EQ(files.installed, c.installed);
        EXPECT_EQ(files.settingsFile, *inFolder(std::string(c.settingsFile), at));
        EXPECT_EQ(files.homeFolder, *inFolder(std::string(c.homeFolder), at));
        EXPECT_EQ(files.helpFile, at + (c.installed ? "/prefix/share/tarnova/TARNOVA.HLP"
                                                    : "/prefix/bin/TARNOVA.HLP"));
    }
}

TEST(ProgramFiles, UnknownExecutableFolderGivesTheBareNames) {
    const ProgramFiles files = LocateProgramFiles("", {"/home/u", std::nullopt});
    EXPECT_FALSE(files.installed);
    EXPECT_EQ(files.settingsFile, "TARNOVA.INI");
    EXPECT_EQ(files.helpFile, "TARNOVA.HLP");
    EXPECT_EQ(files.homeFolder, "");
}

// The user's configuration folder does not exist before the first save.
TEST(ProgramFiles, FirstSaveMakesThePrivateConfigurationFolder) {
    test::TempFolder folder;
    const std::string path = folder.path("home/.config/tarnova/TARNOVA.INI");
    ASSERT_TRUE(WriteProfileString(path, "general", "addeof", "true"));
    EXPECT_EQ(folder.read("home/.config/tarnova/TARNOVA.INI"), "[general]\r\naddeof=true\r\n");
    for (const char* made : {"home", "home/.config", "home/.config/tarnova"}) {
        struct stat status {};
        ASSERT_EQ(::stat(folder.path(made).c_str(), &status), 0) << made;
        EXPECT_EQ(status.st_mode & 0777, 0700u) << made;
    }
}

} // namespace
} // namespace tarnova
