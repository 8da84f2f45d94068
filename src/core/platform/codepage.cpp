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

std::string convert(std::string_view input, const char* to, const char* from,
                    std::string_view replacement) {
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
            // An unconvertible or incomplete sequence: replace one byte and go on.
            output.append(replacement);
            ++in;
            --inLeft;
            iconv(raw, nullptr, nullptr, nullptr, nullptr);
        }
    }
    return output;
}

bool isCp932LeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

} // namespace

std::string cp932ToUtf8(std::string_view bytes) {
    return convert(bytes, "UTF-8", "CP932", "\xEF\xBF\xBD");
}

std::string utf8ToCp932(std::string_view text) {
    // Skip the whole UTF-8 sequence of a character that has no code page 932 form.
    std::string output;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        length = std::min(length, text.size() - i);
        const std::string piece = convert(text.substr(i, length), "CP932", "UTF-8", "?");
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

} // namespace tarnova
