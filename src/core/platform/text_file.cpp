#include "platform/text_file.h"

#include "platform/text_format.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <random>
#include <utility>
#include <vector>

namespace tarnova {
namespace {

constexpr char kEndOfFileMark = '\x1A';

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

} // namespace

std::string FileError::reason() const {
    switch (kind) {
    case Kind::NotRegularFile:
        return "not a regular file";
    case Kind::TooLarge:
        return std::strerror(EFBIG);
    case Kind::System:
        break;
    }
    return std::strerror(systemError);
}

namespace {

// Opens path for reading when it names a regular file. A pipe is opened without waiting for a
// writer, so that asking what it is never blocks.
FileHandle openRegularFile(const std::string& path, FileError& error, off_t& size) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        error = {FileError::Kind::System, errno};
        return nullptr;
    }
    struct stat status {};
    if (::fstat(descriptor, &status) != 0) {
        error = {FileError::Kind::System, errno};
        ::close(descriptor);
        return nullptr;
    }
    if (!S_ISREG(status.st_mode)) {
        error = {FileError::Kind::NotRegularFile, 0};
        ::close(descriptor);
        return nullptr;
    }
    size = status.st_size;
    FileHandle file(::fdopen(descriptor, "rb"));
    if (!file) {
        error = {FileError::Kind::System, errno};
        ::close(descriptor);
    }
    return file;
}

// At most count bytes of file; none when reading failed.
std::optional<std::string> readBytes(std::FILE* file, std::size_t count, FileError& error) {
    std::string bytes;
    try {
        std::vector<char> buffer(65536);
        while (bytes.size() < count) {
            const std::size_t wanted = std::min(buffer.size(), count - bytes.size());
            const std::size_t read = std::fread(buffer.data(), 1, wanted, file);
            if (read == 0) {
                break;
            }
            bytes.append(buffer.data(), read);
        }
    } catch (const std::bad_alloc&) {
        error = {FileError::Kind::System, ENOMEM}; // a file larger than the memory left
        return std::nullopt;
    }
    if (std::ferror(file) != 0) {
        error = {FileError::Kind::System, EIO};
        return std::nullopt;
    }
    return bytes;
}

} // namespace

std::optional<std::string> readRegularFile(const std::string& path, std::size_t maxBytes,
                                           FileError* error) {
    FileError problem;
    off_t size = 0;
    FileHandle file = openRegularFile(path, problem, size);
    std::optional<std::string> bytes;
    if (file && static_cast<std::uintmax_t>(size) > maxBytes) {
        problem = {FileError::Kind::TooLarge, 0};
    } else if (file) {
        // One byte more than allowed tells a file that grew since it was measured.
        bytes = readBytes(file.get(), maxBytes == SIZE_MAX ? maxBytes : maxBytes + 1, problem);
        if (bytes && bytes->size() > maxBytes) {
            problem = {FileError::Kind::TooLarge, 0};
            bytes.reset();
        }
    }
    if (!bytes && error != nullptr) {
        *error = problem;
    }
    return bytes;
}

std::optional<std::string> readFileStart(const std::string& path, std::size_t count) {
    FileError problem;
    off_t size = 0;
    FileHandle file = openRegularFile(path, problem, size);
    if (!file) {
        return std::nullopt;
    }
    return readBytes(file.get(), count, problem);
}

std::optional<std::string> readWholeFile(const std::string& path) {
    return readRegularFile(path, SIZE_MAX);
}

std::error_code fileReadError(const std::string& path) {
    FileHandle file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        return {errno, std::generic_category()};
    }
    // Opening a folder succeeds; reading from it does not.
    char first = 0;
    if (std::fread(&first, 1, 1, file.get()) == 0 && std::ferror(file.get()) != 0) {
        return {errno, std::generic_category()};
    }
    return {};
}

namespace {

std::error_code lastError() {
    return {errno, std::generic_category()};
}

// The file a write to path replaces: the one a symbolic link names, so that the link stays.
std::string replacedFile(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_symlink(path, error)) {
        return path;
    }
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
    return error ? path : resolved.string();
}

std::error_code writeAll(int descriptor, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return lastError();
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return {};
}

// A new file beside target, created with the permissions a new file gets; removed again
// unless it was moved into target's place.
class SiblingFile final {
  public:
    explicit SiblingFile(const std::string& target) {
        const std::filesystem::path targetPath(target);
        const std::filesystem::path folder = targetPath.parent_path();
        std::random_device random;
        for (int attempt = 0; attempt < 100; ++attempt) {
            // Built by appending: GCC 12 misreads "." + string as overlapping copies at -O3.
            std::string name(1, '.');
            name += targetPath.filename().string();
            name += formatText(".%08x~", random());
            path_ = (folder / name).string();
            descriptor_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (descriptor_ >= 0 || errno != EEXIST) {
                break;
            }
        }
        if (descriptor_ < 0) {
            error_ = lastError();
            path_.clear();
        }
    }
    SiblingFile(const SiblingFile&) = delete;
    SiblingFile& operator=(const SiblingFile&) = delete;
    ~SiblingFile() {
        if (descriptor_ >= 0) {
            ::close(descriptor_);
        }
        if (!path_.empty()) {
            ::unlink(path_.c_str());
        }
    }

    std::error_code error() const { return error_; }
    int descriptor() const { return descriptor_; }
    // Closes the file, reporting what the close reports.
    std::error_code close() {
        const int descriptor = std::exchange(descriptor_, -1);
        return ::close(descriptor) == 0 ? std::error_code() : lastError();
    }
    // Moves the closed file into target's place.
    std::error_code replace(const std::string& target) {
        if (::rename(path_.c_str(), target.c_str()) != 0) {
            return lastError();
        }
        path_.clear();
        return {};
    }

  private:
    std::string path_;
    int descriptor_ = -1;
    std::error_code error_;
};

std::error_code writeIntoDevice(const std::string& path, std::string_view bytes) {
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (descriptor < 0) {
        return lastError();
    }
    std::error_code error = writeAll(descriptor, bytes);
    if (::close(descriptor) != 0 && !error) {
        error = lastError();
    }
    return error;
}

// Makes a rename in folder durable; a folder that cannot be opened or flushed is left as is.
void flushFolder(const std::string& target) {
    const std::string folder = std::filesystem::path(target).parent_path().string();
    const int descriptor =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor >= 0) {
        ::fsync(descriptor);
        ::close(descriptor);
    }
}

std::error_code replaceWholeFile(const std::string& path, std::string_view bytes) {
    const std::string target = replacedFile(path);
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && ::access(target.c_str(), W_OK) != 0) {
        return lastError();
    }
    if (exists && S_ISDIR(old.st_mode)) {
        return std::make_error_code(std::errc::is_a_directory);
    }
    if (exists && !S_ISREG(old.st_mode)) {
        return writeIntoDevice(target, bytes); // a pipe or a device cannot be replaced
    }
    SiblingFile sibling(target);
    if (sibling.error()) {
        return sibling.error();
    }
    if (exists) {
        // The owner may refuse to change (only the superuser gives files away); the
        // permissions then still follow the old file.
        [[maybe_unused]] const int owned = ::fchown(sibling.descriptor(), old.st_uid, old.st_gid);
        if (::fchmod(sibling.descriptor(), old.st_mode & 07777) != 0) {
            return lastError();
        }
    }
    if (std::error_code error = writeAll(sibling.descriptor(), bytes)) {
        return error;
    }
    if (::fsync(sibling.descriptor()) != 0) {
        return lastError();
    }
    if (std::error_code error = sibling.close()) {
        return error;
    }
    if (std::error_code error = sibling.replace(target)) {
        return error;
    }
    flushFolder(target);
    return {};
}

} // namespace

bool writeWholeFile(const std::string& path, std::string_view bytes, std::error_code* error) {
    const std::error_code result = replaceWholeFile(path, bytes);
    if (error != nullptr) {
        *error = result;
    }
    return !result;
}

bool overwriteFileInPlace(const std::string& path, std::string_view bytes) {
    std::FILE* raw = std::fopen(path.c_str(), "wb");
    if (raw == nullptr) {
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), raw) == bytes.size();
    const bool closed = std::fclose(raw) == 0;
    return written && closed;
}

bool fileExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

bool isNonRegularFile(const std::string& path) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    return !error && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status);
}

std::string_view fileNamePart(std::string_view path) {
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view fileExtension(std::string_view path) {
    const std::string_view name = fileNamePart(path);
    const auto stop = name.rfind('.');
    return stop == std::string_view::npos ? std::string_view() : name.substr(stop + 1);
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

LineReader::LineReader(std::string_view content, Mode mode, std::size_t maxLength)
    : content_(content), mode_(mode), maxLength_(maxLength) {
    if (mode_ == Mode::Text) {
        content_ = content_.substr(0, content_.find(kEndOfFileMark));
    }
}

std::optional<std::string_view> LineReader::next() {
    if (position_ >= content_.size()) {
        return std::nullopt;
    }
    const auto feed = content_.find('\n', position_);
    const std::size_t end = feed == std::string_view::npos ? content_.size() : feed;
    std::string_view line = content_.substr(position_, end - position_);
    position_ = feed == std::string_view::npos ? content_.size() : feed + 1;
    // The carriage return before a line feed never reaches a text-mode reader.
    if (mode_ == Mode::Text && feed != std::string_view::npos && !line.empty() &&
        line.back() == '\r') {
        line.remove_suffix(1);
    }
    const std::size_t withFeed = line.size() + (feed == std::string_view::npos ? 0 : 1);
    if (maxLength_ != 0 && withFeed > maxLength_) {
        // The rest of the line is the next read.
        line = line.substr(0, maxLength_);
        position_ = static_cast<std::size_t>(line.data() - content_.data()) + maxLength_;
    }
    return line.substr(0, line.find('\0'));
}

std::size_t LineReader::remainingLineBound() const {
    if (position_ >= content_.size()) {
        return 0;
    }
    const auto rest = content_.substr(position_);
    const auto feeds = static_cast<std::size_t>(std::count(rest.begin(), rest.end(), '\n'));
    return feeds + 1 + (maxLength_ == 0 ? 0 : rest.size() / maxLength_);
}

void TextFileWriter::line(std::string_view text) {
    content_.append(text);
    content_.append("\r\n");
}

bool writeTextFile(const std::string& path, std::string_view content, bool addEndOfFile) {
    if (!addEndOfFile) {
        return writeWholeFile(path, content);
    }
    return writeWholeFile(path, std::string(content) + kEndOfFileMark);
}

} // namespace tarnova
