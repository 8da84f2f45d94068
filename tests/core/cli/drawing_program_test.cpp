// tarnova-cli without Qt and CUPS: the commands that draw run in tarnova-cli-draw, found beside
// tarnova-cli or in the installed layout, and reading the settings of the tarnova-cli that
// started it.
#include "cli/drawing_program.h"

#include "core/support/cli_run.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>

namespace tarnova {
namespace {

void writeProgram(const test::TempFolder& folder, const std::string& name, unsigned mode) {
    std::filesystem::create_directories(std::filesystem::path(folder.path(name)).parent_path());
    folder.write(name, "#!/bin/sh\n");
    ::chmod(folder.path(name).c_str(), mode);
}

TEST(DrawingProgram, IsFoundBesideTheToolFirstThenInTheInstalledFolder) {
    const struct {
        const char* name;
        const char* beside;    // mode of bin/tarnova-cli-draw, 0 when missing
        const char* installed; // mode of libexec/tarnova/tarnova-cli-draw, 0 when missing
        const char* found;
    } rows[] = {
        {"build tree", "755", "0", "bin/tarnova-cli-draw"},
        {"installed", "0", "755", "bin/../libexec/tarnova/tarnova-cli-draw"},
        {"both", "755", "755", "bin/tarnova-cli-draw"},
        {"beside but not executable", "644", "755", "bin/../libexec/tarnova/tarnova-cli-draw"},
        {"neither: the one beside is named", "0", "0", "bin/tarnova-cli-draw"},
    };
    for (const auto& row : rows) {
        test::TempFolder folder;
        std::filesystem::create_directories(folder.path("bin"));
        if (std::string(row.beside) != "0") {
            writeProgram(folder, "bin/tarnova-cli-draw", std::stoul(row.beside, nullptr, 8));
        }
        if (std::string(row.installed) != "0") {
            writeProgram(folder, "libexec/tarnova/tarnova-cli-draw",
                         std::stoul(row.installed, nullptr, 8));
        }
        EXPECT_EQ(cli::DrawingProgramPath(folder.path("bin/"), "../libexec/tarnova"),
                  folder.path(row.found))
            << row.name;
    }
}

// The libraries the dynamic loader maps for a program, as ldd lists them.
std::string loadedLibraries(const std::string& program) {
    test::TempFolder folder;
    return test::runCli(folder, "", "LD_TRACE_LOADED_OBJECTS=1 '" + program + "'").out;
}

TEST(DrawingProgram, TheToolLoadsNeitherQtNorCups) {
    const std::string libraries = loadedLibraries(TARNOVA_CLI_PATH);
    ASSERT_NE(libraries.find("libc.so"), std::string::npos) << libraries;
    EXPECT_EQ(libraries.find("libQt"), std::string::npos) << libraries;
    EXPECT_EQ(libraries.find("libcups"), std::string::npos) << libraries;
    if (TARNOVA_CLI_DRAWS) {
        const std::string folder = std::filesystem::path(TARNOVA_CLI_PATH).parent_path();
        EXPECT_NE(loadedLibraries(folder + "/tarnova-cli-draw").find("libQt6Gui"),
                  std::string::npos);
    }
}

// An installed tarnova-cli reads and writes the user's TARNOVA.INI, names it on standard error,
// and takes an empty data path for the home folder.
TEST(DrawingProgram, InstalledToolUsesTheUsersConfigurationFolder) {
    test::TempFolder folder;
    std::filesystem::create_directories(folder.path("prefix/bin"));
    std::filesystem::create_directories(folder.path("prefix/share/tarnova"));
    std::filesystem::create_directories(folder.path("home"));
    std::filesystem::copy_file(TARNOVA_CLI_PATH, folder.path("prefix/bin/tarnova-cli"));
    folder.write("prefix/share/tarnova/TARNOVA.HLP", "<html></html>");
    const std::string home = folder.path("home");
    const std::string settingsFile = home + "/.config/tarnova/TARNOVA.INI";
    const auto run = [&](const std::string& arguments) {
        return test::runCli(folder, arguments,
                            "env -u XDG_CONFIG_HOME HOME='" + home + "' '" +
                                folder.path("prefix/bin/tarnova-cli") + "'");
    };

    test::CliRun printed = run("settings");
    EXPECT_EQ(printed.exitCode, 0);
    EXPECT_EQ(printed.err, "tarnova-cli settings: read from " + settingsFile + "\n");
    EXPECT_EQ(printed.out.substr(0, printed.out.find('\n')), "general.datadir=" + home + "/");
    EXPECT_FALSE(std::filesystem::exists(settingsFile));

    folder.write("saved.ini", "[general]\naddeof=true\n");
    EXPECT_EQ(run("settings --ini saved.ini --save '" + settingsFile + "'").exitCode, 0);
    EXPECT_NE(run("settings").out.find("general.addeof=true\n"), std::string::npos);
}

// Installed as a package lays it out: the drawing program in libexec reads the user's
// TARNOVA.INI, as tarnova-cli does (a correction set stored there by tarnova-cli is used by the
// graph); without the drawing program the drawing commands fail and name it.
TEST(DrawingProgram, InstalledDrawingCommandsUseTheSettingsOfTheTool) {
    test::TempFolder folder;
    test::writeRatioRun(folder);
    const std::string bin = folder.path("prefix/" TARNOVA_INSTALL_BINDIR "/");
    std::filesystem::create_directories(bin);
    std::filesystem::create_directories(folder.path("prefix/share/tarnova"));
    std::filesystem::create_directories(folder.path("home"));
    std::filesystem::copy_file(TARNOVA_CLI_PATH, bin + "tarnova-cli");
    folder.write("prefix/share/tarnova/TARNOVA.HLP", "<html></html>");
    const auto run = [&](const std::string& arguments) {
        return test::runCli(folder, arguments,
                            "env -u XDG_CONFIG_HOME HOME='" + folder.path("home") + "' '" + bin +
                                "tarnova-cli'");
    };
    const std::string graph = "graph run.pks --numerator N --denominator D --correction AR "
                              "--output g.svg";

    const test::CliRun missing = run(graph);
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("tarnova-cli-draw cannot be started"), std::string::npos)
        << missing.err;
    EXPECT_EQ(run("graph --help").exitCode, 0);
    if (!TARNOVA_CLI_DRAWS) {
        return;
    }
    const std::string installed = folder.path("prefix/" TARNOVA_DRAWING_INSTALL_FOLDER "/");
    std::filesystem::create_directories(installed);
    std::filesystem::copy_file(std::filesystem::path(TARNOVA_CLI_PATH).parent_path() /
                                   "tarnova-cli-draw",
                               installed + "tarnova-cli-draw");
    const test::CliRun unknownSet = run(graph);
    EXPECT_EQ(unknownSet.exitCode, 2);
    EXPECT_NE(unknownSet.err.find(folder.path("home") + "/.config/tarnova/TARNOVA.INI"),
              std::string::npos)
        << unknownSet.err;
    ASSERT_EQ(run("correction AR N,D,0.5").exitCode, 0);
    const test::CliRun drawn = run(graph);
    EXPECT_EQ(drawn.exitCode, 0) << drawn.err;
    EXPECT_NE(folder.read("g.svg").find("<svg"), std::string::npos);
}

} // namespace
} // namespace tarnova
