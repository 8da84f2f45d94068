// Data files on disk: whole-file reading and writing, and the lines of text and binary files
// as the C library's line reading delivers them.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace tarnova {

// Why a file could not be read or written.
struct FileError {
    enum class Kind {
        System,         // the system's reason, systemError (an errno value)
        NotRegularFile, // a folder, a device or a pipe: never read as a document or settings
        TooLarge,       // longer than the reader takes
    };
    Kind kind = Kind::System;
    int systemError = 0;

    // The reason in the system's words ("No such file or directory", "not a regular file").
    std::string reason() const;
};

// Only regular files are read: a device such as /dev/zero would never end, a pipe could block.

// The whole file, or none when it cannot be opened or read, names no regular file, or is longer
// than maxBytes; error (when given) then says why.
std::optional<std::string> readRegularFile(const std::string& path, std::size_t maxBytes,
                                           FileError* error = nullptr);
// The whole file, or none when it cannot be opened or read or names no regular file.
std::optional<std::string> readWholeFile(const std::string& path);
// The first bytes of a file, at most count of them; none as for readWholeFile.
std::optional<std::string> readFileStart(const std::string& path, std::size_t count);
// The system's reason why the file at path cannot be read; empty when it can.
std::error_code fileReadError(const std::string& path);
// Writes bytes as the whole content of the file at path without ever leaving a damaged file:
// they go into a new file beside it, which is flushed to the disk and then takes the old
// file's place (and its permissions and owner, where the system lets it). The new file has no
// name until then where the file system allows it, and its temporary name is removed also when
// SIGINT, SIGTERM or SIGHUP ends the program. A file that is write-protected is not replaced.
// On failure the old file is left exactly as it was, no temporary file remains, error (when
// given) receives the system's reason, and false is returned. A symbolic link stays a link:
// the file it names is written, also when it does not exist yet; a chain of links that never
// ends is refused. A device or a pipe is written into; a pipe that no program reads from is
// refused at once (pipeWithoutReaderError).
bool writeWholeFile(const std::string& path, std::string_view bytes,
                    std::error_code* error = nullptr);
// The reason given when an output names a pipe that no program reads from.
std::error_code pipeWithoutReaderError();
// Rewrites the existing regular file at path with bytes in place: only for files whose folder
// takes no new files. The room the new content needs is claimed before any old byte is
// overwritten, so a full disk leaves the file as it was; a later failure writes the old content
// back. Returns the reason of the failure, or none.
std::error_code rewriteFileInPlace(const std::string& path, std::string_view bytes);
// Whether writeWholeFile may use unnamed temporary files (true at start): tests use false for
// file systems that do not have them.
void allowUnnamedTemporaryFiles(bool allowed);

// An exclusive lock on a file for a read-modify-write, held until it is destroyed: another
// program taking the same lock waits until then. The file is created empty when missing, and
// removed again when it was created here and nothing took its place. A file that another
// program replaced while this one waited is locked anew, so that the lock always holds the
// file the path names. Only regular files are locked.
class FileUpdateLock final {
  public:
    explicit FileUpdateLock(const std::string& path);
    FileUpdateLock(const FileUpdateLock&) = delete;
    FileUpdateLock& operator=(const FileUpdateLock&) = delete;
    ~FileUpdateLock();

    // Whether the lock is held; error() then says why not.
    bool held() const { return descriptor_ >= 0; }
    const FileError& error() const { return error_; }
    // The locked file's content, or none when it cannot be read or is longer than maxBytes
    // (error then says why).
    std::optional<std::string> read(std::size_t maxBytes, FileError& error) const;

  private:
    std::string path_;
    int descriptor_ = -1;
    bool created_ = false;
    FileError error_;
};

bool fileExists(const std::string& path);
// Whether path names something that exists but is no regular file (a folder, a device, a pipe).
bool isNonRegularFile(const std::string& path);

// The text after the last "/" of a path; the whole path when it has none.
std::string_view fileNamePart(std::string_view path);
// The text after the last full stop of the file-name part; empty when there is none.
std::string_view fileExtension(std::string_view path);
bool equalsIgnoringCase(std::string_view a, std::string_view b);

// Reads a file's bytes line by line. In text mode a byte 0x1A ends the file and a carriage
// return before a line feed is not part of the line; in binary mode every byte is kept.
// Lines come without their line feed and end at a zero byte, as a C string would. With a
// maximal length, a read takes at most that many characters, the line feed included, and a
// longer line is delivered in pieces, as the C library's line reading into a buffer one
// character longer does.
class LineReader final {
  public:
    enum class Mode { Text, Binary };

    LineReader(std::string_view content, Mode mode, std::size_t maxLength = 0);

    // The next line, or none at the end of the file.
    std::optional<std::string_view> next();
    // How many lines are left at most (an upper bound used to size tables).
    std::size_t remainingLineBound() const;

  private:
    std::string_view content_;
    std::size_t position_ = 0;
    Mode mode_;
    std::size_t maxLength_; // 0: lines of any length
};

// Collects the lines of a text file, each ended with carriage return and line feed.
class TextFileWriter final {
  public:
    void line(std::string_view text);
    const std::string& content() const { return content_; }

  private:
    std::string content_;
};

// Writes a text file's content; with addEndOfFile the byte 0x1A follows it.
bool writeTextFile(const std::string& path, std::string_view content, bool addEndOfFile);

} // namespace tarnova
