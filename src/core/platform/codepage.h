// Document texts are code page 932 bytes; the screen and the file system speak UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace tarnova {

// Bytes that are not valid code page 932 come out as U+FFFD, one for each invalid or unassigned
// double-byte pair (both bytes) and one for each other invalid byte.
std::string cp932ToUtf8(std::string_view bytes);
// Characters that code page 932 cannot hold come out as "?".
std::string utf8ToCp932(std::string_view text);

// UTF-16 of UTF-8 text (metafile texts); a byte that starts no valid sequence comes out as
// U+FFFD.
std::u16string utf8ToUtf16(std::string_view text);

// The longest prefix of text of at most maxBytes bytes that does not split a double-byte
// character of code page 932.
std::string_view cutCp932(std::string_view text, std::size_t maxBytes);

} // namespace tarnova
