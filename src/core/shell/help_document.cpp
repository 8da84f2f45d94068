#include "shell/help_document.h"

#include <algorithm>

namespace tarnova {
namespace {

constexpr std::string_view kAnchorStart = "<a name=\"";

// Case-insensitive search, so that <A NAME="..."> and </BODY> are found as well.
std::size_t findNoCase(std::string_view text, std::string_view what, std::size_t from) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    const auto found = std::search(
        text.begin() + static_cast<std::ptrdiff_t>(std::min(from, text.size())), text.end(),
        what.begin(), what.end(), [&](char a, char b) { return lower(a) == lower(b); });
    return found == text.end() ? std::string_view::npos
                               : static_cast<std::size_t>(found - text.begin());
}

} // namespace

std::string HelpContextTopic(int context) {
    return "ctx" + std::to_string(context);
}

HelpDocument::HelpDocument(std::string html) : html_(std::move(html)) {
    std::size_t bodyEnd = findNoCase(html_, "</body>", 0);
    if (bodyEnd == std::string::npos) {
        bodyEnd = html_.size();
    }
    std::size_t position = findNoCase(html_, kAnchorStart, 0);
    headEnd_ = std::min(position, bodyEnd);
    while (position < bodyEnd) {
        const std::size_t nameStart = position + kAnchorStart.size();
        const std::size_t nameEnd = html_.find('"', nameStart);
        if (nameEnd == std::string::npos) {
            break;
        }
        const std::size_t next = findNoCase(html_, kAnchorStart, nameEnd);
        Topic topic;
        topic.name = html_.substr(nameStart, nameEnd - nameStart);
        topic.begin = position;
        topic.end = std::min(next, bodyEnd);
        topics_.push_back(std::move(topic));
        position = next;
    }
}

std::optional<std::string> HelpDocument::topicPage(std::string_view name) const {
    const auto topic = std::find_if(topics_.begin(), topics_.end(),
                                    [&](const Topic& candidate) { return candidate.name == name; });
    if (topic == topics_.end()) {
        return std::nullopt;
    }
    return html_.substr(0, headEnd_) + html_.substr(topic->begin, topic->end - topic->begin) +
           "</body></html>\n";
}

std::vector<std::string> HelpDocument::topicNames() const {
    std::vector<std::string> names;
    for (const auto& topic : topics_) {
        names.push_back(topic.name);
    }
    return names;
}

} // namespace tarnova
