#include "settings/ini_file.h"

#include "platform/codepage.h"
#include "platform/text_file.h"

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <system_error>

namespace tarnova {
namespace {

// Creates the missing folders above file, readable by their owner only: the user's
// configuration folder of an installed program is made by its first save.
void makeMissingFolders(const std::filesystem::path& file) {
    namespace fs = std::filesystem;
    std::error_code error;
    std::vector<fs::path> missing;
    for (fs::path folder = file.parent_path();
         !folder.empty() && folder != folder.root_path() && !fs::exists(folder, error);
         folder = folder.parent_path()) {
        missing.push_back(folder);
    }
    for (auto folder = missing.rbegin(); folder != missing.rend(); ++folder) {
        if (!fs::create_directory(*folder, error)) {
            return;
        }
        fs::permissions(*folder, fs::perms::owner_all, error);
    }
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

char foldCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// A value enclosed in a pair of double or single quotes is read without them, so that a
// hand-written datadir="/home/u/my data" gives the folder.
std::string_view withoutQuotes(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

enum class LineKind { Other, Section, Key };

// One line of the text: [begin, end) is its content without the line break, next the start of
// the following line.
struct Line {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::size_t next = 0;
    LineKind kind = LineKind::Other;
    std::string_view name;  // section or key name, blanks removed
    std::string_view value; // key value, blanks removed
};

Line classify(std::string_view text, std::size_t begin) {
    Line line;
    line.begin = begin;
    const std::size_t newline = text.find('\n', begin);
    line.next = newline == std::string_view::npos ? text.size() : newline + 1;
    line.end = newline == std::string_view::npos ? text.size() : newline;
    if (line.end > begin && text[line.end - 1] == '\r') {
        --line.end;
    }
    const std::string_view content = trimBlanks(text.substr(begin, line.end - begin));
    if (content.empty() || content.front() == ';') {
        return line;
    }
    if (content.front() == '[') {
        const std::string_view inner = content.substr(1);
        line.kind = LineKind::Section;
        line.name = trimBlanks(inner.substr(0, inner.find(']')));
        return line;
    }
    const std::size_t equals = content.find('=');
    if (equals == std::string_view::npos || equals == 0) {
        return line;
    }
    line.kind = LineKind::Key;
    line.name = trimBlanks(content.substr(0, equals));
    line.value = trimBlanks(content.substr(equals + 1));
    return line;
}

// Where a section and one of its keys stand in the text.
struct Location {
    std::optional<Line> section;
    std::optional<Line> key;
    std::optional<Line> lastContent; // last key or other non-empty line of the section
};

Location locate(std::string_view text, std::string_view section, std::string_view key) {
    Location location;
    for (std::size_t position = 0; position < text.size();) {
        const Line line = classify(text, position);
        position = line.next;
        if (line.kind == LineKind::Section) {
            if (location.section) {
                break;
            }
            if (profileNamesEqual(line.name, section)) {
                location.section = line;
                location.lastContent = line;
            }
            continue;
        }
        if (!location.section) {
            continue;
        }
        if (!trimBlanks(text.substr(line.begin, line.end - line.begin)).empty()) {
            location.lastContent = line;
        }
        if (line.kind == LineKind::Key && !key.empty() && profileNamesEqual(line.name, key)) {
            location.key = line;
            break;
        }
    }
    return location;
}

// The line break the file already uses; CRLF for a file that has none yet.
std::string_view lineBreakOf(std::string_view text) {
    const std::size_t newline = text.find('\n');
    if (newline != std::string_view::npos && (newline == 0 || text[newline - 1] != '\r')) {
        return "\n";
    }
    return "\r\n";
}

// What ends the file's last line before a line is appended: nothing when it ends in a line
// feed, a line feed after a carriage return (which the reader already took as the line's end,
// so that it must not become part of the line), otherwise the file's line break.
std::string_view lineBreakToEnd(std::string_view text, std::string_view lineBreak) {
    if (text.empty() || text.back() == '\n') {
        return {};
    }
    return text.back() == '\r' ? "\n" : lineBreak;
}

bool hasLineBreak(std::string_view text) {
    return text.find('\n') != std::string_view::npos || text.find('\r') != std::string_view::npos;
}

bool writable(std::string_view section, std::string_view key, std::string_view value) {
    const std::string_view trimmedKey = trimBlanks(key);
    return !hasLineBreak(section) && !hasLineBreak(key) && !hasLineBreak(value) &&
           section.find(']') == std::string_view::npos && !trimmedKey.empty() &&
           trimmedKey.find('=') == std::string_view::npos && trimmedKey.front() != '[' &&
           trimmedKey.front() != ';';
}

// Whole number with a sign and an optional "0x" prefix; wraps at 32 bits as the platform did.
int parseProfileInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::uint32_t base = 10;
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    std::uint32_t result = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        std::uint32_t digit = 0;
        if (c >= '0' && c <= '9') {
            digit = static_cast<std::uint32_t>(c - '0');
        } else if (base == 16 && foldCase(c) >= 'a' && foldCase(c) <= 'f') {
            digit = static_cast<std::uint32_t>(foldCase(c) - 'a' + 10);
        } else {
            break;
        }
        result = result * base + digit;
    }
    if (negative) {
        result = 0u - result;
    }
    return static_cast<int>(result);
}

} // namespace

bool profileNamesEqual(std::string_view a, std::string_view b) {
    return a.size() == b.size() && compareCp932IgnoringCase(a, b) == 0;
}

IniFile IniFile::load(const std::string& path) {
    FileError error;
    return read(path, error).value_or(IniFile());
}

std::optional<IniFile> IniFile::read(const std::string& path, FileError& error) {
    std::optional<std::string> text = readRegularFile(path, kMaxIniFileBytes, &error);
    if (text) {
        return IniFile(std::move(*text));
    }
    if (error.kind == FileError::Kind::System && error.systemError == ENOENT) {
        return IniFile();
    }
    return std::nullopt;
}

bool IniFile::save(const std::string& path, FileError* failure) const {
    if (isNonRegularFile(path)) {
        if (failure != nullptr) {
            *failure = {FileError::Kind::NotRegularFile, 0};
        }
        return false;
    }
    makeMissingFolders(path);
    std::error_code error;
    if (writeWholeFile(path, text_, &error)) {
        return true;
    }
    // A folder we may not create files in can still hold a file we may write.
    if ((error == std::errc::permission_denied || error == std::errc::operation_not_permitted) &&
        fileExists(path)) {
        error = rewriteFileInPlace(path, text_);
        if (!error) {
            return true;
        }
    }
    if (failure != nullptr) {
        *failure = {FileError::Kind::System, error.value()};
    }
    return false;
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const {
    const Location location = locate(text_, section, key);
    if (!location.key) {
        return std::nullopt;
    }
    return std::string(withoutQuotes(location.key->value));
}

std::string IniFile::readString(std::string_view section, std::string_view key,
                                std::string_view defaultValue, std::size_t bufferSize) const {
    std::string text = value(section, key).value_or(std::string(defaultValue));
    if (bufferSize == 0) {
        return {};
    }
    if (text.size() > bufferSize - 1) {
        text.resize(bufferSize - 1);
    }
    return text;
}

int IniFile::readInt(std::string_view section, std::string_view key, int defaultValue) const {
    const std::optional<std::string> text = value(section, key);
    if (!text || text->empty()) {
        return defaultValue;
    }
    return parseProfileInt(*text);
}

std::vector<std::string> IniFile::keyNames(std::string_view section) const {
    std::vector<std::string> names;
    for (Entry& entry : entries(section)) {
        names.push_back(std::move(entry.key));
    }
    return names;
}

std::vector<IniFile::Entry> IniFile::entries(std::string_view section) const {
    std::vector<Entry> found;
    bool inside = false;
    for (std::size_t position = 0; position < text_.size();) {
        const Line line = classify(text_, position);
        position = line.next;
        if (line.kind == LineKind::Section) {
            if (inside) {
                break;
            }
            inside = profileNamesEqual(line.name, section);
        } else if (inside && line.kind == LineKind::Key) {
            found.push_back({std::string(line.name), std::string(withoutQuotes(line.value))});
        }
    }
    return found;
}

bool IniFile::setValue(std::string_view section, std::string_view key, std::string_view value) {
    if (!writable(section, key, value)) {
        return false;
    }
    const std::string_view lineBreak = lineBreakOf(text_);
    const Location location = locate(text_, section, trimBlanks(key));
    if (location.key) {
        std::string replacement(location.key->name);
        replacement += '=';
        replacement += value;
        text_.replace(location.key->begin, location.key->end - location.key->begin, replacement);
        return true;
    }
    std::string inserted;
    std::size_t at = text_.size();
    if (location.section) {
        at = location.lastContent->next;
        if (at == text_.size()) {
            inserted += lineBreakToEnd(text_, lineBreak); // the section's last line ends the file
        }
    } else {
        inserted += lineBreakToEnd(text_, lineBreak);
        inserted += '[';
        inserted += section;
        inserted += ']';
        inserted += lineBreak;
    }
    inserted += trimBlanks(key);
    inserted += '=';
    inserted += value;
    inserted += lineBreak;
    text_.insert(at, inserted);
    return true;
}

bool IniFile::removeKey(std::string_view section, std::string_view key) {
    const Location location = locate(text_, section, trimBlanks(key));
    if (!location.key) {
        return false;
    }
    text_.erase(location.key->begin, location.key->next - location.key->begin);
    return true;
}

std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view defaultValue,
                              std::size_t bufferSize) {
    return IniFile::load(path).readString(section, key, defaultValue, bufferSize);
}

int ReadProfileInt(const std::string& path, std::string_view section, std::string_view key,
                   int defaultValue) {
    return IniFile::load(path).readInt(section, key, defaultValue);
}

std::vector<std::string> ReadProfileKeyNames(const std::string& path, std::string_view section) {
    return IniFile::load(path).keyNames(section);
}

bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value) {
    return UpdateProfile(path, [&](IniFile& file) { return file.setValue(section, key, value); });
}

bool DeleteProfileKey(const std::string& path, std::string_view section, std::string_view key) {
    bool found = false;
    FileError error;
    const bool deleted = UpdateProfile(
        path,
        [&](IniFile& file) {
            found = file.removeKey(section, key);
            return found;
        },
        &error);
    return deleted || (!found && error.kind == FileError::Kind::System && error.systemError == 0);
}

bool UpdateProfile(const std::string& path, const std::function<bool(IniFile&)>& change,
                   FileError* error) {
    FileError failure;
    const bool updated = [&] {
        makeMissingFolders(path);
        // Held until the new content is in place: another program's change made meanwhile
        // would otherwise be lost.
        const FileUpdateLock lock(path);
        if (!lock.held()) {
            failure = lock.error();
            return false;
        }
        // A file that exists but cannot be read is never replaced by one holding only the
        // change.
        std::optional<std::string> text = lock.read(kMaxIniFileBytes, failure);
        if (!text) {
            return false;
        }
        IniFile file(std::move(*text));
        return change(file) && file.save(path, &failure);
    }();
    if (!updated && error != nullptr) {
        *error = failure;
    }
    return updated;
}

} // namespace tarnova
