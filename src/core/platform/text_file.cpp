#include "platform/text_file.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <new>
#include <vector>

namespace tarnova {
namespace {

constexpr char kEndOfFileMark = '\x1A';

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

} // namespace

std::optional<std::string> readFileStart(const std::string& path, std::size_t count) {
    FileHandle file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        return std::nullopt;
    }
    std::string bytes;
    try {
        std::vector<char> buffer(65536);
        while (bytes.size() < count) {
            const std::size_t wanted = std::min(buffer.size(), count - bytes.size());
            const std::size_t read = std::fread(buffer.data(), 1, wanted, file.get());
            if (read == 0) {
                break;
            }
            bytes.append(buffer.data(), read);
        }
    } catch (const std::bad_alloc&) {
        return std::nullopt; // a file larger than the memory left
    }
    if (std::ferror(file.get()) != 0) {
        return std::nullopt;
    }
    return bytes;
}

std::optional<std::string> readWholeFile(const std::string& path) {
    return readFileStart(path, std::string().max_size());
}

bool writeWholeFile(const std::string& path, std::string_view bytes) {
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
