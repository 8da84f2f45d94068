#include "shell/file_drop.h"

#include "core/support/log_capture.h"
#include "core/support/scripted_port.h"

#include <gtest/gtest.h>

namespace tarnova {
namespace {

class FileDrop : public ::testing::Test {
  protected:
    void SetUp() override {
        hooks.mayReplaceSheet = [this] { return mayReplace; };
        hooks.loadFile = [this](const std::string& path) { loaded.push_back(path); };
        hooks.startInstance = [this](const std::string& executable, const std::string& file) {
            started.push_back(executable + " " + file);
        };
    }

    test::LogCapture log;
    FileDropHooks hooks;
    test::ScriptedPort port;
    bool mayReplace = true;
    std::vector<std::string> loaded;
    std::vector<std::string> started;
};

TEST_F(FileDrop, FirstFileLoadsAndFurtherFilesStartProcesses) {
    ProcessDroppedFiles({"/d/a.pks", "/d/b c.pks", "/d/c.pks"}, "/opt/t/", hooks, port);
    EXPECT_EQ(loaded, std::vector<std::string>{"/d/a.pks"});
    EXPECT_EQ(started,
              (std::vector<std::string>{"/opt/t/tarnova /d/b c.pks", "/opt/t/tarnova /d/c.pks"}));
    EXPECT_EQ(log.lines(),
              (std::vector<std::string>{"Start to process dropped files.", "/d/a.pks is dropped.",
                                        "/d/a.pks: Load", "/d/b c.pks is dropped.",
                                        "/d/b c.pks: Fork", "/d/c.pks is dropped.",
                                        "/d/c.pks: Fork", "Finish processing the dropped files."}));
}

TEST_F(FileDrop, RefusedReplacementProcessesNothing) {
    mayReplace = false;
    ProcessDroppedFiles({"/d/a.pks", "/d/b.pks"}, "/opt/t/", hooks, port);
    EXPECT_TRUE(loaded.empty());
    EXPECT_TRUE(started.empty());
}

TEST_F(FileDrop, LongNamesAndDeepFolders) {
    const std::string longName = "/" + std::string(319, 'n'); // 320 characters
    ProcessDroppedFiles({longName}, "/opt/t/", hooks, port);
    EXPECT_EQ(log.lines()[1], "Too long to report.");
    EXPECT_EQ(loaded, std::vector<std::string>{longName});

    loaded.clear();
    ProcessDroppedFiles({"/d/a.pks"}, "/" + std::string(326, 'd') + "/", hooks, port);
    EXPECT_EQ(port.messages, (std::vector<test::RecordedMessage>{
                                 {"Tarnova", "Too deep tree to make load path."}}));
    EXPECT_TRUE(loaded.empty());
}

} // namespace
} // namespace tarnova
