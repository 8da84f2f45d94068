#include "platform/text_file.h"

#include "platform/text_format.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <pthread.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
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

// The longest chain of symbolic links followed, as the system's own limit.
constexpr int kMaxLinkHops = 40;

// The file a write to path replaces: the one a symbolic link names (also when it does not exist
// yet), so that the link stays. A chain of links that never ends is refused.
std::string replacedFile(const std::string& path, std::error_code& error) {
    std::string current = path;
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        struct stat status {};
        if (::lstat(current.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            return current;
        }
        std::string target(static_cast<std::size_t>(status.st_size) + 1, '\0');
        ssize_t length = 0;
        // A link can grow between the two calls: read again with more room.
        while ((length = ::readlink(current.c_str(), target.data(), target.size())) >= 0 &&
               static_cast<std::size_t>(length) >= target.size()) {
            target.resize(target.size() * 2 + 64);
        }
        if (length < 0) {
            error = lastError();
            return {};
        }
        target.resize(static_cast<std::size_t>(length));
        if (target.empty() || target.front() == '/') {
            current = std::move(target);
        } else {
            current = (std::filesystem::path(current).parent_path() / target).string();
        }
    }
    error = std::make_error_code(std::errc::too_many_symbolic_link_levels);
    return {};
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

std::error_code writeAllAt(int descriptor, std::string_view bytes, off_t offset) {
    while (!bytes.empty()) {
        const ssize_t written = ::pwrite(descriptor, bytes.data(), bytes.size(), offset);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return lastError();
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
        offset += written;
    }
    return {};
}

// Reads the file from its start into bytes, at most bytes.size() of them; bytes is cut to
// what the file held.
std::error_code readFromStart(int descriptor, std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got =
            ::pread(descriptor, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return lastError();
        }
        if (got == 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    return {};
}

class FileWriteCategory final : public std::error_category {
  public:
    const char* name() const noexcept override { return "file write"; }
    std::string message(int) const override { return "no program reads from the pipe"; }
};

// Names of temporary files that a signal ending the process removes first. The handler only
// reads slots whose state says they are complete, so it never sees a name half written.
class PendingNames final {
  public:
    static constexpr std::size_t kSlots = 8;
    static constexpr std::size_t kRoom = 4096;

    // The slot that now holds name, or none when it is too long or every slot is taken.
    static std::optional<std::size_t> add(const std::string& name) {
        if (name.size() >= kRoom) {
            return std::nullopt;
        }
        installHandlers();
        for (std::size_t slot = 0; slot < kSlots; ++slot) {
            int expected = kFree;
            if (states_[slot].compare_exchange_strong(expected, kFilling)) {
                std::memcpy(names_[slot], name.c_str(), name.size() + 1);
                states_[slot].store(kReady);
                return slot;
            }
        }
        return std::nullopt;
    }
    static void remove(std::size_t slot) { states_[slot].store(kFree); }

  private:
    enum { kFree, kFilling, kReady };

    static void installHandlers() {
        static std::once_flag once;
        std::call_once(once, [] {
            for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
                struct sigaction old {};
                // A signal the program ignores or handles itself is left as it is.
                if (::sigaction(signal, nullptr, &old) != 0 || old.sa_handler != SIG_DFL) {
                    continue;
                }
                struct sigaction action {};
                action.sa_handler = &PendingNames::onSignal;
                sigemptyset(&action.sa_mask);
                action.sa_flags = SA_RESETHAND;
                ::sigaction(signal, &action, nullptr);
            }
        });
    }
    // Removes the pending names, then lets the signal end the process as it would have.
    static void onSignal(int signal) {
        for (std::size_t slot = 0; slot < kSlots; ++slot) {
            if (states_[slot].load() == kReady) {
                ::unlink(names_[slot]);
            }
        }
        ::raise(signal);
    }

    static inline std::array<std::atomic<int>, kSlots> states_{};
    static inline char names_[kSlots][kRoom]{};
};

// A name registered for removal by a signal for as long as it exists.
class PendingName final {
  public:
    explicit PendingName(const std::string& name) : slot_(PendingNames::add(name)) {}
    PendingName(const PendingName&) = delete;
    PendingName& operator=(const PendingName&) = delete;
    ~PendingName() {
        if (slot_) {
            PendingNames::remove(*slot_);
        }
    }

  private:
    std::optional<std::size_t> slot_;
};

bool unnamedFilesAllowed = true;

// The name of a temporary file beside target: a full stop, target's name and a random part,
// with target's name shortened so that the whole fits the longest name the folder takes.
std::string siblingName(const std::filesystem::path& target, std::uint32_t random) {
    const std::filesystem::path folder = target.parent_path();
    const long longest = ::pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
    const std::string suffix = formatText(".%08x~", random);
    const std::size_t room = (longest > 0 ? static_cast<std::size_t>(longest) : 255) - 1 -
                             std::min<std::size_t>(suffix.size(), 254);
    // Built by appending: GCC 12 misreads "." + string as overlapping copies at -O3.
    std::string name(1, '.');
    name += target.filename().string().substr(0, room);
    name += suffix;
    return (folder / name).string();
}

// A new file beside target, created with the permissions a new file gets, and removed again
// unless it was moved into target's place. Where the file system allows it, the file has no
// name until it takes target's place, so that nothing is left behind when the process ends
// early; otherwise its name is removed also when a signal ends the process.
class SiblingFile final {
  public:
    explicit SiblingFile(const std::string& target) : target_(target) {
        const std::filesystem::path folder = target_.parent_path();
        if (unnamedFilesAllowed) {
            descriptor_ = ::open(folder.empty() ? "." : folder.c_str(),
                                 O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
            // Only a file system without unnamed files is worth a second attempt.
            if (descriptor_ >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)) {
                error_ = descriptor_ < 0 ? lastError() : std::error_code();
                return;
            }
        }
        std::random_device random;
        for (int attempt = 0; attempt < 100; ++attempt) {
            path_ = siblingName(target_, random());
            pending_.emplace(path_);
            descriptor_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (descriptor_ >= 0 || errno != EEXIST) {
                break;
            }
            pending_.reset();
        }
        if (descriptor_ < 0) {
            error_ = lastError();
            pending_.reset();
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
    // Moves the written file into target's place and closes it, reporting what the close
    // reports.
    std::error_code replaceTarget() {
        if (path_.empty()) {
            if (std::error_code error = giveName()) {
                return error;
            }
        }
        const int descriptor = std::exchange(descriptor_, -1);
        if (::close(descriptor) != 0) {
            return lastError();
        }
        if (::rename(path_.c_str(), target_.c_str()) != 0) {
            return lastError();
        }
        path_.clear();
        pending_.reset();
        return {};
    }

  private:
    // Links the unnamed file under a temporary name beside target.
    std::error_code giveName() {
        const std::string self = formatText("/proc/self/fd/%d", descriptor_);
        std::random_device random;
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string name = siblingName(target_, random());
            pending_.emplace(name);
            // Without /proc, the superuser can still link the descriptor itself.
            if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0 ||
                (errno == ENOENT &&
                 ::linkat(descriptor_, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0)) {
                path_ = name;
                return {};
            }
            pending_.reset();
            if (errno != EEXIST) {
                return lastError();
            }
        }
        return lastError();
    }

    std::filesystem::path target_;
    std::string path_; // the temporary name, while there is one
    std::optional<PendingName> pending_;
    int descriptor_ = -1;
    std::error_code error_;
};

// Writes into a device or a pipe. A pipe that no program reads from is refused at once rather
// than waited on.
std::error_code writeIntoDevice(const std::string& path, std::string_view bytes) {
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        return errno == ENXIO ? pipeWithoutReaderError() : lastError();
    }
    // Once open, a reader that is slow is waited for.
    const int flags = ::fcntl(descriptor, F_GETFL);
    std::error_code error;
    if (flags < 0 || ::fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        error = lastError();
    }
    if (!error) {
        error = writeAll(descriptor, bytes);
    }
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
    std::error_code linkError;
    const std::string target = replacedFile(path, linkError);
    if (linkError) {
        return linkError;
    }
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
    if (std::error_code error = sibling.replaceTarget()) {
        return error;
    }
    flushFolder(target);
    return {};
}

// The signals that end the program, held back while a file is rewritten in place.
class HeldSignals final {
  public:
    HeldSignals() {
        sigset_t held;
        sigemptyset(&held);
        for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
            sigaddset(&held, signal);
        }
        ::pthread_sigmask(SIG_BLOCK, &held, &saved_);
    }
    HeldSignals(const HeldSignals&) = delete;
    HeldSignals& operator=(const HeldSignals&) = delete;
    ~HeldSignals() { ::pthread_sigmask(SIG_SETMASK, &saved_, nullptr); }

  private:
    sigset_t saved_{};
};

std::error_code rewriteOpenFile(int descriptor, std::string_view bytes) {
    struct stat status {};
    if (::fstat(descriptor, &status) != 0) {
        return lastError();
    }
    if (!S_ISREG(status.st_mode)) {
        return std::make_error_code(std::errc::invalid_argument);
    }
    std::string old(static_cast<std::size_t>(status.st_size), '\0');
    if (std::error_code error = readFromStart(descriptor, old)) {
        return error;
    }
    const auto oldSize = static_cast<off_t>(old.size());
    // The part beyond the old end goes first: it claims the room the new content needs, and
    // when the disk cannot give it the file is cut back to what it was.
    if (bytes.size() > old.size()) {
        if (std::error_code error = writeAllAt(descriptor, bytes.substr(old.size()), oldSize)) {
            [[maybe_unused]] const int restored = ::ftruncate(descriptor, oldSize);
            return error;
        }
    }
    const HeldSignals held;
    const std::string_view front = bytes.substr(0, std::min(bytes.size(), old.size()));
    std::error_code error = writeAllAt(descriptor, front, 0);
    if (!error && ::ftruncate(descriptor, static_cast<off_t>(bytes.size())) != 0) {
        error = lastError();
    }
    if (!error && ::fsync(descriptor) != 0) {
        error = lastError();
    }
    if (error) {
        // The old content goes back where the blocks it had are still there.
        if (!writeAllAt(descriptor, old, 0)) {
            [[maybe_unused]] const int restored = ::ftruncate(descriptor, oldSize);
        }
    }
    return error;
}

} // namespace

std::error_code pipeWithoutReaderError() {
    static const FileWriteCategory category;
    return {1, category};
}

bool writeWholeFile(const std::string& path, std::string_view bytes, std::error_code* error) {
    const std::error_code result = replaceWholeFile(path, bytes);
    if (error != nullptr) {
        *error = result;
    }
    return !result;
}

std::error_code rewriteFileInPlace(const std::string& path, std::string_view bytes) {
    const int descriptor = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        return lastError();
    }
    std::error_code error = rewriteOpenFile(descriptor, bytes);
    if (::close(descriptor) != 0 && !error) {
        error = lastError();
    }
    return error;
}

void allowUnnamedTemporaryFiles(bool allowed) {
    unnamedFilesAllowed = allowed;
}

namespace {

int lockExclusively(int descriptor) {
    int locked = 0;
    while ((locked = ::flock(descriptor, LOCK_EX)) != 0 && errno == EINTR) {
    }
    return locked;
}

} // namespace

FileUpdateLock::FileUpdateLock(const std::string& path) {
    std::error_code linkError;
    path_ = replacedFile(path, linkError);
    if (linkError) {
        error_ = {FileError::Kind::System, linkError.value()};
        return;
    }
    // Each round follows another program's replacing or removing the file; a few suffice.
    for (int round = 0; round < 1000; ++round) {
        if (isNonRegularFile(path_)) {
            error_ = {FileError::Kind::NotRegularFile, 0};
            return;
        }
        created_ = false;
        int descriptor = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (descriptor < 0 && errno == ENOENT) {
            descriptor =
                ::open(path_.c_str(), O_RDONLY | O_CREAT | O_EXCL | O_NONBLOCK | O_CLOEXEC, 0666);
            created_ = descriptor >= 0;
            if (descriptor < 0 && errno == EEXIST) {
                continue; // another program made it first
            }
        }
        if (descriptor < 0) {
            error_ = {FileError::Kind::System, errno};
            return;
        }
        if (lockExclusively(descriptor) != 0) {
            // Some file systems lock only files open for writing (NFS); one that cannot lock at
            // all is written as before, unlocked, rather than not at all.
            const int writable = ::open(path_.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
            if (writable >= 0) {
                ::close(descriptor);
                descriptor = writable;
                [[maybe_unused]] const int locked = lockExclusively(descriptor);
            }
        }
        struct stat held {};
        struct stat named {};
        if (::fstat(descriptor, &held) != 0) {
            error_ = {FileError::Kind::System, errno};
            ::close(descriptor);
            return;
        }
        if (!S_ISREG(held.st_mode)) {
            error_ = {FileError::Kind::NotRegularFile, 0};
            ::close(descriptor);
            return;
        }
        // The file may have been replaced or removed while this program waited.
        if (::stat(path_.c_str(), &named) == 0 && named.st_dev == held.st_dev &&
            named.st_ino == held.st_ino) {
            descriptor_ = descriptor;
            return;
        }
        ::close(descriptor);
    }
    error_ = {FileError::Kind::System, EAGAIN};
}

FileUpdateLock::~FileUpdateLock() {
    if (descriptor_ < 0) {
        return;
    }
    struct stat held {};
    struct stat named {};
    if (created_ && ::fstat(descriptor_, &held) == 0 && held.st_size == 0 &&
        ::stat(path_.c_str(), &named) == 0 && named.st_dev == held.st_dev &&
        named.st_ino == held.st_ino) {
        ::unlink(path_.c_str());
    }
    ::close(descriptor_);
}

std::optional<std::string> FileUpdateLock::read(std::size_t maxBytes, FileError& error) const {
    struct stat status {};
    if (::fstat(descriptor_, &status) != 0) {
        error = {FileError::Kind::System, errno};
        return std::nullopt;
    }
    if (static_cast<std::uintmax_t>(status.st_size) > maxBytes) {
        error = {FileError::Kind::TooLarge, 0};
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(status.st_size), '\0');
    if (const std::error_code failure = readFromStart(descriptor_, bytes)) {
        error = {FileError::Kind::System, failure.value()};
        return std::nullopt;
    }
    return bytes;
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
