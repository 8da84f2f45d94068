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

// Compares two texts character by character with ASCII letters folded to lower case; the two
// bytes of a double-byte character are compared as they are. Negative, 0 or positive as a
// comes before, equals or follows b. Never the locale's collation.
int compareCp932IgnoringCase(std::string_view a, std::string_view b);
// The order of the sorted lists of the dialogs: compareCp932IgnoringCase, and texts that are
// equal so by their bytes, so that the order never depends on the order of insertion.
bool cp932SortsBefore(std::string_view a, std::string_view b);

} // namespace tarnova
