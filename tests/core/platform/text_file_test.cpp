#include "platform/text_file.h"

#include "core/support/file_size_limit.h"
#include "core/support/temp_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>

namespace tarnova {
namespace {

namespace fs = std::filesystem;

class WholeFileWrite : public ::testing::Test {
  protected:
    test::TempFolder folder;

    mode_t mode(const std::string& name) const {
        struct stat status {};
        EXPECT_EQ(::stat(folder.path(name).c_str(), &status), 0);
        return status.st_mode & 07777;
    }
};

TEST_F(WholeFileWrite, ReplacesTheContentKeepingPermissionsAndLinks) {
    const std::string old = folder.write("run.pks", "old content\r\n");
    ::chmod(old.c_str(), 0640);
    fs::create_symlink("run.pks", folder.path("link.pks"));

    ASSERT_TRUE(writeWholeFile(old, "new"));
    EXPECT_EQ(folder.read("run.pks"), "new");
    EXPECT_EQ(mode("run.pks"), 0640u);

    ASSERT_TRUE(writeWholeFile(folder.path("link.pks"), "through the link"));
    EXPECT_TRUE(fs::is_symlink(folder.path("link.pks")));
    EXPECT_EQ(folder.read("run.pks"), "through the link");
    EXPECT_EQ(mode("run.pks"), 0640u);

    // A new file gets what the process's file mode mask leaves of read and write for all.
    const mode_t mask = ::umask(022);
    ::umask(mask);
    ASSERT_TRUE(writeWholeFile(folder.path("new.dat"), ""));
    EXPECT_EQ(folder.read("new.dat"), "");
    EXPECT_EQ(mode("new.dat"), 0666u & ~mask);
    EXPECT_EQ(folder.names(), (std::set<std::string>{"run.pks", "link.pks", "new.dat"}));
}

TEST_F(WholeFileWrite, AFailedWriteLeavesTheOldFileByteForByte) {
    const std::string old(3000, 'o');
    const std::string path = folder.write("run.pks", old);
    std::error_code error;
    {
        // The new content is larger than a file may grow: the write fails part way.
        const test::FileSizeLimit limit(4096);
        EXPECT_FALSE(writeWholeFile(path, std::string(10000, 'n'), &error));
    }
    EXPECT_EQ(error, std::errc::file_too_large);
    EXPECT_EQ(folder.read("run.pks"), old);
    EXPECT_EQ(folder.names(), std::set<std::string>{"run.pks"});
}

TEST_F(WholeFileWrite, PlacesThatCannotTakeTheFileAreReported) {
    fs::create_directory(folder.path("sub"));
    struct Case {
        std::string path;
        std::errc expected;
    };
    for (const Case& c :
         {Case{folder.path("missing/run.pks"), std::errc::no_such_file_or_directory},
          Case{folder.path("sub"), std::errc::is_a_directory}}) {
        std::error_code error;
        EXPECT_FALSE(writeWholeFile(c.path, "x", &error)) << c.path;
        EXPECT_EQ(error, c.expected) << c.path;
    }
    EXPECT_TRUE(fs::is_empty(folder.path("sub")));
    // A device is written into, not replaced.
    EXPECT_TRUE(writeWholeFile("/dev/null", "discarded"));
}

TEST_F(WholeFileWrite, AWriteProtectedFileIsNotReplaced) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "the superuser may write every file";
    }
    const std::string path = folder.write("run.pks", "kept");
    ::chmod(path.c_str(), 0444);
    std::error_code error;
    EXPECT_FALSE(writeWholeFile(path, "new", &error));
    EXPECT_EQ(error, std::errc::permission_denied);
    EXPECT_EQ(folder.read("run.pks"), "kept");
}

TEST_F(WholeFileWrite, ReadErrorsNameTheSystemsReason) {
    fs::create_directory(folder.path("sub"));
    EXPECT_EQ(fileReadError(folder.path("missing.pks")), std::errc::no_such_file_or_directory);
    EXPECT_EQ(fileReadError(folder.path("sub")), std::errc::is_a_directory);
    EXPECT_FALSE(fileReadError(folder.write("run.pks", "")));
    EXPECT_FALSE(fileReadError(folder.write("full.pks", "x")));
}

} // namespace
} // namespace tarnova
