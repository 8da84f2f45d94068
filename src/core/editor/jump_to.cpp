#include "editor/jump_to.h"

#include "platform/text_scanner.h"

namespace tarnova {
namespace {
constexpr std::size_t kMaxJumpTextLength = 1023;
} // namespace

std::optional<JumpTarget> ParseJumpTarget(std::string_view text) {
    text = text.substr(0, kMaxJumpTextLength);
    if (text.find(':') != std::string_view::npos) {
        TextScanner scanner(text);
        JumpTarget target;
        scanner.skipWhiteSpace();
        if (scanner.readInt(target.row) && (scanner.skipWhiteSpace(), scanner.literal(':')) &&
            scanner.readInt(target.column)) {
            return target;
        }
    }
    TextScanner scanner(text);
    JumpTarget target;
    if (scanner.readInt(target.row)) {
        return target;
    }
    return std::nullopt;
}

} // namespace tarnova
