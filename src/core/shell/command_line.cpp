#include "shell/command_line.h"

namespace tarnova {

std::optional<std::string> CommandTokenizer::NextCommandToken() {
    while (cursor_ < line_.size() && line_[cursor_] == ' ') {
        ++cursor_;
    }
    if (cursor_ >= line_.size()) {
        return std::nullopt;
    }
    const std::size_t start = cursor_;
    if (line_[start] != '"') {
        const std::size_t blank = line_.find(' ', start);
        if (blank == std::string_view::npos) {
            cursor_ = line_.size();
            return std::string(line_.substr(start));
        }
        cursor_ = blank + 1;
        return std::string(line_.substr(start, blank - start));
    }
    std::size_t search = start + 1;
    for (;;) {
        const std::size_t quote = line_.find('"', search);
        if (quote == std::string_view::npos) {
            cursor_ = line_.size();
            return std::string(line_.substr(start));
        }
        if (quote + 1 == line_.size()) {
            cursor_ = line_.size();
            return std::string(line_.substr(start));
        }
        if (line_[quote + 1] == ' ') {
            cursor_ = quote + 2;
            return std::string(line_.substr(start, quote + 1 - start));
        }
        search = quote + 1;
    }
}

std::string joinCommandLine(const std::vector<std::string>& arguments) {
    std::string line;
    for (const auto& argument : arguments) {
        if (!line.empty()) {
            line += ' ';
        }
        if (argument.find(' ') != std::string::npos) {
            line += '"' + argument + '"';
        } else {
            line += argument;
        }
    }
    return line;
}

} // namespace tarnova
