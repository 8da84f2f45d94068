// The INI file of the program (TARNOVA.INI): "[section]" lines and "key=value" lines, read and
// written with the private-profile rules of the desktop platform it came from.
//
// Section and key names are compared without regard to letter case; the first matching section
// and, inside it, the first matching key win. A value runs to the end of its line with the blanks
// around it removed, and without the quotes when it is enclosed in a pair of double or single
// quotes. Lines may end in CRLF or LF. Bytes are kept as the file holds them (texts
// are code page 932). Writing changes only the line of the key (or inserts one line, and the
// section header when the section is missing); every other byte of the file stays as it was.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarnova {

struct FileError;

// The largest settings file read: TARNOVA.INI holds a few kilobytes, and a larger file is no
// settings file.
inline constexpr std::size_t kMaxIniFileBytes = 16 * 1024 * 1024;

// Whether two section or key names are equal without regard to the case of ASCII letters. The
// second byte of a double-byte character of code page 932 is compared exactly.
bool profileNamesEqual(std::string_view a, std::string_view b);

class IniFile final {
  public:
    IniFile() = default;
    explicit IniFile(std::string text) : text_(std::move(text)) {}

    // The file's contents; an empty file when it is missing or cannot be read (also when it is
    // no regular file or larger than kMaxIniFileBytes).
    static IniFile load(const std::string& path);
    // The file's contents, an empty file when it is missing, or none when it exists but cannot
    // be read as load() says; error then tells why.
    static std::optional<IniFile> read(const std::string& path, FileError& error);
    // Writes the whole text into path (created when missing, with the folders above it; never
    // into a path that names no regular file). Returns false when it failed, with the reason in
    // error when given; the file on disk is then unchanged.
    bool save(const std::string& path, FileError* error = nullptr) const;

    const std::string& text() const { return text_; }

    // The value of key in section, or nothing when the key is missing.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    // The value, or defaultValue when the key is missing, cut to bufferSize - 1 characters (the
    // room of a buffer of bufferSize characters with its terminating zero).
    std::string readString(std::string_view section, std::string_view key,
                           std::string_view defaultValue, std::size_t bufferSize) const;
    // The value read as a whole number (decimal, or hexadecimal after "0x"; a sign may lead;
    // the digits end at the first other character, and a value without digits gives 0);
    // defaultValue when the key is missing or its value is empty.
    int readInt(std::string_view section, std::string_view key, int defaultValue) const;
    // The names of all keys of section, in file order (duplicates included).
    std::vector<std::string> keyNames(std::string_view section) const;
    struct Entry {
        std::string key;
        std::string value; // as value() gives it
    };
    // Every key of section with its value, in file order (duplicates included), in one pass.
    std::vector<Entry> entries(std::string_view section) const;

    // Replaces the key's value in place, or appends the key to its section (the section is
    // appended to the file when missing). Refuses (false) names or values that could not be read
    // back as written: line breaks anywhere, an empty key, "=" in a key, "]" in a section name.
    bool setValue(std::string_view section, std::string_view key, std::string_view value);
    // Removes the key's line; false when there was no such key.
    bool removeKey(std::string_view section, std::string_view key);

  private:
    std::string text_;
};

// Path-based access, one file operation each, as the settings and the correction sets use it.
std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view defaultValue,
                              std::size_t bufferSize);
int ReadProfileInt(const std::string& path, std::string_view section, std::string_view key,
                   int defaultValue);
std::vector<std::string> ReadProfileKeyNames(const std::string& path, std::string_view section);
// Write and delete return false when the name, the value or the file could not be written.
bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value);
bool DeleteProfileKey(const std::string& path, std::string_view section, std::string_view key);
// Several changes as one write: reads the file as it is on disk (an empty file when missing),
// lets change edit it and writes it back when change returns true, holding the file's update
// lock (FileUpdateLock) from the reading to the writing, so that changes other programs save
// meanwhile wait and are kept. Returns false when change refused or the file could not be read
// or written; the file is then as it was, and error (when given) says why the read or the
// write failed (a refused change leaves it without a reason: System with systemError 0).
bool UpdateProfile(const std::string& path, const std::function<bool(IniFile&)>& change,
                   FileError* error = nullptr);

} // namespace tarnova
