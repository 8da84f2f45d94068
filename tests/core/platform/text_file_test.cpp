#include "platform/text_file.h"

#include "core/support/file_size_limit.h"
#include "core/support/temp_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <future>
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

// A link to a file that does not exist yet writes that file; a chain of links that never ends
// is refused and left as it is.
TEST_F(WholeFileWrite, LinksAreFollowedAlsoToMissingFilesAndLoopsRefused) {
    fs::create_directory(folder.path("sub"));
    fs::create_symlink("sub/target.png", folder.path("dangling.png"));
    ASSERT_TRUE(writeWholeFile(folder.path("dangling.png"), "picture"));
    EXPECT_TRUE(fs::is_symlink(folder.path("dangling.png")));
    EXPECT_EQ(folder.read("sub/target.png"), "picture");

    fs::create_symlink("loop.b", folder.path("loop.a"));
    fs::create_symlink("loop.a", folder.path("loop.b"));
    std::error_code error;
    EXPECT_FALSE(writeWholeFile(folder.path("loop.a"), "x", &error));
    EXPECT_EQ(error, std::errc::too_many_symbolic_link_levels);
    EXPECT_TRUE(fs::is_symlink(folder.path("loop.a")));
    EXPECT_EQ(fs::read_symlink(folder.path("loop.a")), "loop.b");
}

// A pipe nobody reads from is refused at once; one with a reader gets the bytes.
TEST_F(WholeFileWrite, APipeIsWrittenOnlyWhileSomethingReadsIt) {
    const std::string pipe = folder.path("out.fifo");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    std::error_code error;
    EXPECT_FALSE(writeWholeFile(pipe, "nobody reads", &error));
    EXPECT_EQ(error, pipeWithoutReaderError());

    auto reader = std::async(std::launch::async, [&] { return folder.read("out.fifo"); });
    // The reader may not have opened the pipe yet: the write is tried until it has.
    bool written = false;
    for (int attempt = 0; attempt < 500 && !written; ++attempt) {
        written = writeWholeFile(pipe, std::string(200000, 'p'), &error);
        if (!written) {
            ::usleep(10000);
        }
    }
    EXPECT_TRUE(written) << error.message();
    EXPECT_EQ(reader.get(), std::string(200000, 'p'));
    EXPECT_TRUE(fs::is_fifo(pipe));
}

// Names up to the longest the file system takes can be written, with and without unnamed
// temporary files.
TEST_F(WholeFileWrite, TheLongestNamesCanBeWritten) {
    for (const bool unnamed : {true, false}) {
        allowUnnamedTemporaryFiles(unnamed);
        for (const std::size_t length : {std::size_t{244}, std::size_t{255}}) {
            const std::string name = std::string(length - 4, 'n') + ".dat";
            std::error_code error;
            EXPECT_TRUE(writeWholeFile(folder.path(name), "first", &error))
                << length << ": " << error.message();
            EXPECT_TRUE(writeWholeFile(folder.path(name), "second", &error))
                << length << ": " << error.message();
            EXPECT_EQ(folder.read(name), "second");
            fs::remove(folder.path(name));
        }
    }
    allowUnnamedTemporaryFiles(true);
    EXPECT_TRUE(folder.names().empty());
}

// A program ended by SIGINT or SIGTERM in the middle of saving leaves no temporary file, whether
// the file system gives unnamed files or not, and still ends by that signal.
TEST_F(WholeFileWrite, ASaveEndedBySignalLeavesNoTemporaryFile) {
    const std::string target = folder.path("large.dat");
    const std::string content(4 * 1024 * 1024, 'x');
    for (const bool unnamed : {true, false}) {
        for (const int signal : {SIGINT, SIGTERM}) {
            for (const int delayMs : {5, 30, 80}) {
                const pid_t child = ::fork();
                if (child == 0) {
                    allowUnnamedTemporaryFiles(unnamed);
                    for (;;) {
                        writeWholeFile(target, content);
                    }
                }
                ::usleep(static_cast<useconds_t>(delayMs) * 1000);
                ::kill(child, signal);
                int status = 0;
                ASSERT_EQ(::waitpid(child, &status, 0), child);
                EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal)
                    << "signal " << signal;
                for (const std::string& name : folder.names()) {
                    EXPECT_EQ(name, "large.dat") << "unnamed " << unnamed << ", signal " << signal
                                                 << ", after " << delayMs << " ms";
                }
            }
        }
    }
}

// In place: a write that cannot get the room it needs leaves the file as it was; a shorter
// content replaces a longer one exactly.
TEST_F(WholeFileWrite, RewritingInPlaceClaimsTheRoomFirst) {
    const std::string old(3000, 'o');
    const std::string path = folder.write("TARNOVA.INI", old);
    {
        const test::FileSizeLimit limit(4096);
        EXPECT_EQ(rewriteFileInPlace(path, std::string(10000, 'n')), std::errc::file_too_large);
    }
    EXPECT_EQ(folder.read("TARNOVA.INI"), old);
    EXPECT_FALSE(rewriteFileInPlace(path, "short"));
    EXPECT_EQ(folder.read("TARNOVA.INI"), "short");
    EXPECT_FALSE(rewriteFileInPlace(path, std::string(5000, 'l')));
    EXPECT_EQ(folder.read("TARNOVA.INI"), std::string(5000, 'l'));
    EXPECT_EQ(rewriteFileInPlace(folder.path("missing"), "x"),
              std::errc::no_such_file_or_directory);
}

// A file longer than its measured size (one that grew, or one the system measures as empty, as
// /proc does) is refused once the reading passes the limit, never cut at it.
TEST(WholeFileRead, AFileLongerThanMeasuredIsRefusedAtTheLimit) {
    FileError error;
    EXPECT_EQ(readRegularFile("/proc/self/status", 16, &error), std::nullopt);
    EXPECT_EQ(error.kind, FileError::Kind::TooLarge);
    EXPECT_TRUE(readRegularFile("/proc/self/status", 1 << 20).has_value());
}

} // namespace
} // namespace tarnova
