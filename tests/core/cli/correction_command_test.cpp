// tarnova-cli correction, run as a user runs it.
#include "core/support/cli_run.h"

#include <gtest/gtest.h>

namespace tarnova {
namespace {

TEST(CorrectionCommand, SavesAndPrintsASetAsTheEditorDoes) {
    test::TempFolder folder;
    folder.write("TARNOVA.INI", "[general]\r\naddeof=false\r\n");
    test::CliRun run =
        test::runCli(folder, "correction AR Zn,Ar36,1 Ar40,Ar36,295.5 --ini TARNOVA.INI");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(folder.read("TARNOVA.INI"),
              "[general]\r\naddeof=false\r\ninterferance=1\r\n"
              "[peaks]\r\nitem1=Zn\r\nitems=3\r\nitem2=Ar36\r\nitem3=Ar40\r\n"
              "[AR]\r\nitem1=Ar40,Ar36,295.5\r\nitem2=Zn,Ar36,1\r\n[interferance]\r\nAR=2\r\n");
    run = test::runCli(folder, "correction AR --ini TARNOVA.INI");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "item1\tAr40,Ar36,295.5\nitem2\tZn,Ar36,1\n");
}

TEST(CorrectionCommand, RefusalsAndUsage) {
    test::TempFolder folder;
    const std::string ini = "[general]\r\naddeof=false\r\n";
    folder.write("TARNOVA.INI", ini);
    const struct {
        const char* arguments;
        int exitCode;
        const char* err;
    } rows[] = {
        {"correction AR Ar40,Ar36,1e999 --ini TARNOVA.INI", 1,
         "Tarnova: 補正係数の値は正でなければなりません。\n"},
        {"correction peaks Ar40,Ar36,1 --ini TARNOVA.INI", 1, nullptr},
        {"correction Missing --ini TARNOVA.INI", 1,
         "Tarnova: Missingという妨害ピーク補正テーブルはありません。\n"},
        {"correction AR Ar40 --ini TARNOVA.INI", 2, nullptr},
        {"correction --ini TARNOVA.INI", 2, nullptr},
    };
    for (const auto& row : rows) {
        const test::CliRun run = test::runCli(folder, row.arguments);
        EXPECT_EQ(run.exitCode, row.exitCode) << row.arguments;
        if (row.err != nullptr) {
            EXPECT_EQ(run.err, row.err) << row.arguments;
        }
        EXPECT_EQ(folder.read("TARNOVA.INI").find("[interferance]"), std::string::npos);
    }
}

} // namespace
} // namespace tarnova
