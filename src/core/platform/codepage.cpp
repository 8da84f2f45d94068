#include "platform/codepage.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <memory>

namespace tarnova {
namespace {

struct IconvCloser {
    void operator()(void* handle) const { iconv_close(static_cast<iconv_t>(handle)); }
};

bool isCp932LeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// How many bytes a sequence that cannot be converted takes: a double-byte character of code page
// 932 is replaced whole, so that its second byte never reads as a character of its own.
std::size_t cp932SequenceLength(const char* bytes, std::size_t left) {
    return left >= 2 && isCp932LeadByte(static_cast<unsigned char>(bytes[0])) ? 2 : 1;
}

std::size_t singleByte(const char*, std::size_t) {
    return 1;
}

std::string convert(std::string_view input, const char* to, const char* from,
                    std::string_view replacement,
                    std::size_t (*badSequenceLength)(const char*, std::size_t)) {
    iconv_t raw = iconv_open(to, from);
    if (raw == reinterpret_cast<iconv_t>(-1)) {
        return std::string(input);
    }
    std::unique_ptr<void, IconvCloser> handle(raw);
    std::string output;
    std::string inputCopy(input);
    char* in = inputCopy.data();
    std::size_t inLeft = inputCopy.size();
    std::array<char, 256> buffer{};
    while (inLeft > 0) {
        char* out = buffer.data();
        std::size_t outLeft = buffer.size();
        const std::size_t result = iconv(raw, &in, &inLeft, &out, &outLeft);
        output.append(buffer.data(), buffer.size() - outLeft);
        if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
            // An unconvertible or incomplete sequence: replace it and go on.
            output.append(replacement);
            const std::size_t skipped = badSequenceLength(in, inLeft);
            in += skipped;
            inLeft -= skipped;
            iconv(raw, nullptr, nullptr, nullptr, nullptr);
        }
    }
    return output;
}

unsigned char foldAsciiCase(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

} // namespace

std::string cp932ToUtf8(std::string_view bytes) {
    return convert(bytes, "UTF-8", "CP932", "\xEF\xBF\xBD", cp932SequenceLength);
}

std::string utf8ToCp932(std::string_view text) {
    // Skip the whole UTF-8 sequence of a character that has no code page 932 form.
    std::string output;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        length = std::min(length, text.size() - i);
        const std::string piece =
            convert(text.substr(i, length), "CP932", "UTF-8", "?", singleByte);
        output += piece.find('?') != std::string::npos && text[i] != '?' ? "?" : piece;
        i += length;
    }
    return output;
}

std::string_view cutCp932(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) {
        return text;
    }
    std::size_t end = 0;
    while (end < maxBytes) {
        const std::size_t length = isCp932LeadByte(static_cast<unsigned char>(text[end])) ? 2 : 1;
        if (end + length > maxBytes) {
            break;
        }
        end += length;
    }
    return text.substr(0, end);
}

std::u16string utf8ToUtf16(std::string_view text) {
    std::u16string output;
    output.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int length = lead < 0x80                   ? 1
                           : lead >= 0xC2 && lead < 0xE0 ? 2
                           : lead >= 0xE0 && lead < 0xF0 ? 3
                           : lead >= 0xF0 && lead < 0xF5 ? 4
                                                         : 0;
        char32_t code = length == 1   ? lead
                        : length == 2 ? lead & 0x1Fu
                        : length == 3 ? lead & 0x0Fu
                                      : lead & 0x07u;
        bool valid = length > 0 && i + static_cast<std::size_t>(length) <= text.size();
        for (int k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3Fu);
        }
        // Overlong forms, surrogates and code points beyond U+10FFFF are not characters.
        valid = valid && !(length == 3 && code < 0x800) && !(length == 4 && code < 0x10000) &&
                !(code >= 0xD800 && code <= 0xDFFF) && code <= 0x10FFFF;
        if (!valid) {
            output.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            output.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            output.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            output.push_back(static_cast<char16_t>(code));
        }
        i += static_cast<std::size_t>(length);
    }
    return output;
}

int compareCp932IgnoringCase(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    for (; i < a.size() && i < b.size(); ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        // The trail byte of a double-byte character is no letter, whatever its value.
        const bool pair = isCp932LeadByte(x) && x == y && i + 1 < a.size() && i + 1 < b.size();
        if (pair) {
            if (a[i + 1] != b[i + 1]) {
                return static_cast<unsigned char>(a[i + 1]) < static_cast<unsigned char>(b[i + 1])
                           ? -1
                           : 1;
            }
            ++i;
            continue;
        }
        if (foldAsciiCase(x) != foldAsciiCase(y)) {
            return foldAsciiCase(x) < foldAsciiCase(y) ? -1 : 1;
        }
    }
    if (a.size() == b.size()) {
        return 0;
    }
    return i == a.size() ? -1 : 1;
}

bool cp932SortsBefore(std::string_view a, std::string_view b) {
    const int order = compareCp932IgnoringCase(a, b);
    return order != 0 ? order < 0 : a < b;
}

} // namespace tarnova
