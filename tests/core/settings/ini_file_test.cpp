#include "settings/ini_file.h"

#include "core/support/private_tmpfs.h"
#include "core/support/temp_folder.h"
#include "platform/text_file.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <set>

namespace tarnova {
namespace {

TEST(IniFile, NamesIgnoreCaseAndTheFirstMatchWins) {
    const IniFile file("[General]\r\n"
                       "  DataDir =  /home/u/data  \r\n"
                       "datadir=second\r\n"
                       "[general]\r\n"
                       "addeof=true\r\n"
                       "[peaks]\n"
                       ";comment=1\n"
                       "no equals sign\n"
                       "Ar40=x\n");
    EXPECT_EQ(file.value("general", "datadir"), "/home/u/data");
    EXPECT_EQ(file.value("GENERAL", "DATADIR"), "/home/u/data");
    // The key exists only in the second section of that name: the first section wins.
    EXPECT_EQ(file.value("general", "addeof"), std::nullopt);
    EXPECT_EQ(file.keyNames("peaks"), (std::vector<std::string>{"Ar40"}));
    EXPECT_EQ(file.keyNames("general"), (std::vector<std::string>{"DataDir", "datadir"}));
    EXPECT_TRUE(file.keyNames("missing").empty());
}

TEST(IniFile, DoubleByteCharactersAreComparedExactly) {
    // "\x83\x41" and "\x83\x61" are different katakana; only ASCII letters fold.
    EXPECT_FALSE(profileNamesEqual("\x83\x41", "\x83\x61"));
    EXPECT_TRUE(profileNamesEqual("Set\x83\x41", "sET\x83\x41"));
    const IniFile file("[interferance]\r\n\x83\x41=2\r\n");
    EXPECT_EQ(file.value("interferance", "\x83\x41"), "2");
    EXPECT_EQ(file.value("interferance", "\x83\x61"), std::nullopt);
}

TEST(IniFile, ReadWithDefaultAndBufferSize) {
    const IniFile file("[a]\nkey=abcdefghij\nempty=\n");
    EXPECT_EQ(file.readString("a", "key", "==nothing==", 80), "abcdefghij");
    EXPECT_EQ(file.readString("a", "key", "", 5), "abcd");
    EXPECT_EQ(file.readString("a", "missing", "==nothing==", 4), "==n");
    EXPECT_EQ(file.readString("a", "empty", "==nothing==", 80), "");
}

TEST(IniFile, QuotesAroundAValueAreDropped) {
    const IniFile file("[general]\n"
                       "datadir = \"/home/u/my data/\" \n"
                       "single='yes'\n"
                       "mixed=\"x'\n"
                       "lone=\"\n"
                       "empty=\"\"\n");
    EXPECT_EQ(file.value("general", "datadir"), "/home/u/my data/");
    EXPECT_EQ(file.value("general", "single"), "yes");
    // Only a matching pair encloses a value.
    EXPECT_EQ(file.value("general", "mixed"), "\"x'");
    EXPECT_EQ(file.value("general", "lone"), "\"");
    EXPECT_EQ(file.readString("general", "empty", "==nothing==", 80), "");
}

TEST(IniFile, ReadIntTakesTheLeadingNumber) {
    const IniFile file("[general]\ninterferance=3\nneg=-12\nhex=0x1F\ntail=7sets\n"
                       "word=abc\nempty=\n");
    EXPECT_EQ(file.readInt("general", "neg", -1), -12);
    EXPECT_EQ(file.readInt("general", "hex", -1), 31);
    EXPECT_EQ(file.readInt("general", "tail", -1), 7);
    EXPECT_EQ(file.readInt("general", "word", -1), 0);
    EXPECT_EQ(file.readInt("general", "empty", -1), -1);
}

TEST(IniFile, WritingChangesOnlyTheKeysLine) {
    const std::string head = "; made by hand\r\n[general]\r\n";
    const std::string tail = "warncmntrmv=true\r\n\r\n[interferance]\r\n\x83\x41=2\r\n";
    IniFile file(head + "  Addeof = false \r\n" + tail);
    ASSERT_TRUE(file.setValue("GENERAL", "addeof", "true"));
    EXPECT_EQ(file.text(), head + "Addeof=true\r\n" + tail);
    // A new key goes after the section's last line, before the blank line that separates it.
    ASSERT_TRUE(file.setValue("general", "vertical", "false"));
    EXPECT_EQ(file.text(), head + "Addeof=true\r\nwarncmntrmv=true\r\nvertical=false\r\n\r\n"
                                  "[interferance]\r\n\x83\x41=2\r\n");
    ASSERT_TRUE(file.removeKey("general", "vertical"));
    ASSERT_TRUE(file.removeKey("general", "addeof"));
    EXPECT_FALSE(file.removeKey("general", "addeof"));
    EXPECT_EQ(file.text(), head + tail);
}

TEST(IniFile, NewSectionsAreAppendedWithTheFilesLineBreaks) {
    IniFile lf("[a]\nx=1");
    ASSERT_TRUE(lf.setValue("a", "y", "2"));
    ASSERT_TRUE(lf.setValue("b", "z", "3"));
    EXPECT_EQ(lf.text(), "[a]\nx=1\ny=2\n[b]\nz=3\n");

    IniFile empty;
    ASSERT_TRUE(empty.setValue("general", "datadir", "/data"));
    EXPECT_EQ(empty.text(), "[general]\r\ndatadir=/data\r\n");

    // A carriage return that ends the file ends its last line: it gets its line feed, and
    // never becomes part of the line's name or value.
    IniFile cut("[general\r");
    ASSERT_TRUE(cut.setValue("general", "datadir", "/fuzz/dir"));
    EXPECT_EQ(cut.text(), "[general\r\ndatadir=/fuzz/dir\r\n");
    EXPECT_EQ(cut.value("general", "datadir"), "/fuzz/dir");
    IniFile keyLast("[a]\nx=1\r");
    ASSERT_TRUE(keyLast.setValue("b", "z", "3"));
    EXPECT_EQ(keyLast.value("a", "x"), "1");
    EXPECT_EQ(keyLast.value("b", "z"), "3");
}

TEST(IniFile, RefusesTextsThatWouldNotReadBack) {
    IniFile file("[a]\nx=1\n");
    EXPECT_FALSE(file.setValue("a", "x", "1\r\n[b]"));
    EXPECT_FALSE(file.setValue("a]", "x", "1"));
    EXPECT_FALSE(file.setValue("a", "k=v", "1"));
    EXPECT_FALSE(file.setValue("a", ";x", "1"));
    EXPECT_EQ(file.text(), "[a]\nx=1\n");
}

class IniFileOnDisk : public ::testing::Test {
  protected:
    std::string contents() const { return folder_.read("TARNOVA.INI"); }
    void write(const std::string& text) const { folder_.write("TARNOVA.INI", text); }

    test::TempFolder folder_;
    std::string path_ = folder_.path("TARNOVA.INI");
};

TEST_F(IniFileOnDisk, WriteCreatesTheFileAndReadsBack) {
    EXPECT_EQ(ReadProfileString(path_, "general", "datadir", "==nothing==", 260), "==nothing==");
    EXPECT_FALSE(std::filesystem::exists(path_));
    ASSERT_TRUE(WriteProfileString(path_, "general", "interferance", "2"));
    ASSERT_TRUE(WriteProfileString(path_, "interferance", "Ar", "1"));
    ASSERT_TRUE(WriteProfileString(path_, "interferance", "Kr", "3"));
    EXPECT_EQ(contents(), "[general]\r\ninterferance=2\r\n[interferance]\r\nAr=1\r\nKr=3\r\n");
    EXPECT_EQ(ReadProfileKeyNames(path_, "interferance"), (std::vector<std::string>{"Ar", "Kr"}));
    ASSERT_TRUE(DeleteProfileKey(path_, "interferance", "ar"));
    ASSERT_TRUE(DeleteProfileKey(path_, "interferance", "missing"));
    EXPECT_EQ(contents(), "[general]\r\ninterferance=2\r\n[interferance]\r\nKr=3\r\n");
}

TEST_F(IniFileOnDisk, BytesOfOtherKeysStayAsTheyWere) {
    const std::string before = "[general]\n\tdatadir = /a b/\x82\xa0 \n[x]\nk=\x1a\xff\n";
    write(before);
    ASSERT_TRUE(WriteProfileString(path_, "x", "k", "v"));
    EXPECT_EQ(contents(), "[general]\n\tdatadir = /a b/\x82\xa0 \n[x]\nk=v\n");
    EXPECT_EQ(ReadProfileString(path_, "general", "datadir", "", 260), "/a b/\x82\xa0");
}

TEST_F(IniFileOnDisk, AFolderInPlaceOfTheFileReadsAsEmptyAndIsNotWritten) {
    std::filesystem::create_directory(path_);
    EXPECT_EQ(ReadProfileString(path_, "general", "datadir", "==nothing==", 260), "==nothing==");
    EXPECT_FALSE(WriteProfileString(path_, "general", "addeof", "true"));
    EXPECT_FALSE(DeleteProfileKey(path_, "general", "addeof"));
    EXPECT_TRUE(std::filesystem::is_directory(path_));
}

// Two programs that update the file at the same time both keep every change: each holds the
// file's lock from its reading to its writing.
TEST_F(IniFileOnDisk, ChangesOfProgramsSavingAtOnceAreAllKept) {
    constexpr int kRounds = 60;
    const auto start = [&](const std::string& key) {
        const pid_t child = ::fork();
        if (child == 0) {
            for (int round = 0; round < kRounds; ++round) {
                const bool saved = UpdateProfile(path_, [&](IniFile& file) {
                    const auto add = [&](const std::string& name) {
                        file.setValue("count", name,
                                      std::to_string(file.readInt("count", name, 0) + 1));
                    };
                    add(key);
                    add("total");
                    return true;
                });
                if (!saved) {
                    ::_exit(1);
                }
            }
            ::_exit(0);
        }
        return child;
    };
    const pid_t writers[] = {start("a"), start("b")};
    for (const pid_t writer : writers) {
        int status = 0;
        ASSERT_EQ(::waitpid(writer, &status, 0), writer);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const IniFile file = IniFile::load(path_);
    EXPECT_EQ(file.readInt("count", "a", 0), kRounds);
    EXPECT_EQ(file.readInt("count", "b", 0), kRounds);
    EXPECT_EQ(file.readInt("count", "total", 0), 2 * kRounds);
    EXPECT_EQ(folder_.names(), std::set<std::string>{"TARNOVA.INI"});
}

// A refused change of a missing file leaves no file behind; one through a link that names a
// missing file creates that file and keeps the link.
TEST_F(IniFileOnDisk, UpdatesMakeNoFileForNothingAndFollowLinks) {
    EXPECT_FALSE(UpdateProfile(path_, [](IniFile&) { return false; }));
    EXPECT_TRUE(DeleteProfileKey(path_, "general", "addeof"));
    EXPECT_TRUE(folder_.names().empty());

    std::filesystem::create_symlink("real.ini", path_);
    ASSERT_TRUE(WriteProfileString(path_, "general", "addeof", "true"));
    EXPECT_TRUE(std::filesystem::is_symlink(path_));
    EXPECT_EQ(folder_.read("real.ini"), "[general]\r\naddeof=true\r\n");

    std::filesystem::remove(path_);
    std::filesystem::create_symlink("TARNOVA.INI", path_);
    FileError error;
    EXPECT_FALSE(UpdateProfile(
        path_, [](IniFile&) { return true; }, &error));
    EXPECT_EQ(error.reason(), std::strerror(ELOOP));
}

// In a folder that takes no new files the file is rewritten in place; a full disk then leaves
// it byte for byte as it was and is named as the reason.
TEST(IniFileInPlace, AFullDiskLeavesTheFileWholeAndIsTheReasonGiven) {
    test::TempFolder folder;
    const auto found = test::runWithPrivateTmpfs(
        folder.path(""), 256 * 1024, [](const std::string& root) -> std::string {
            const std::string etc = root + "/etc";
            const std::string ini = etc + "/TARNOVA.INI";
            const std::string before = "[general]\r\naddeof=true\r\n[interferance]\r\nAR=1\r\n"
                                       "[AR]\r\nitem1=Ar40,Ar36,295.5\r\n";
            ::mkdir(etc.c_str(), 0755);
            if (!writeWholeFile(ini, before) || ::chmod(etc.c_str(), 0555) != 0 ||
                !test::dropCapabilities()) {
                return "no folder without room for new files";
            }
            if (writeWholeFile(etc + "/new", "x")) {
                return "the folder still takes new files";
            }
            test::fillFileSystem(root);
            // Longer than the page the file has: the disk must give more room.
            const std::string folderName(6000, 'd');
            const auto setFolder = [&](IniFile& file) {
                return file.setValue("general", "datadir", folderName);
            };
            FileError error;
            if (UpdateProfile(ini, setFolder, &error)) {
                return "saved on a full disk";
            }
            if (error.reason() != std::strerror(ENOSPC)) {
                return "reason given: " + error.reason();
            }
            if (readWholeFile(ini) != before) {
                return "the file changed: " + readWholeFile(ini).value_or("(unreadable)");
            }
            ::unlink((root + "/filler").c_str());
            if (!UpdateProfile(ini, setFolder, &error)) {
                return "not saved with room on the disk: " + error.reason();
            }
            const IniFile saved = IniFile::load(ini);
            if (saved.value("general", "datadir") != folderName ||
                saved.value("AR", "item1") != "Ar40,Ar36,295.5") {
                return "saved wrongly: " + saved.text();
            }
            // A shorter content leaves no trace of the longer one.
            if (!DeleteProfileKey(ini, "general", "datadir") || readWholeFile(ini) != before) {
                return "shortened wrongly: " + readWholeFile(ini).value_or("(unreadable)");
            }
            return {};
        });
    if (!found) {
        GTEST_SKIP() << "no private user and mount namespaces on this system";
    }
    EXPECT_EQ(*found, "");
}

} // namespace
} // namespace tarnova
