// The command line: joining argv into one line and taking it apart token by token.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnova {

// Tokenizer over one command line. Blanks (spaces only) separate tokens; a token that starts
// with a double quote runs to a quote followed by a blank or the end, and keeps its quotes.
class CommandTokenizer final {
  public:
    explicit CommandTokenizer(std::string_view line) : line_(line) {}
    std::optional<std::string> NextCommandToken();

  private:
    std::string_view line_;
    std::size_t cursor_ = 0;
};

// Joins program arguments into one command line, quoting those that contain a blank.
std::string joinCommandLine(const std::vector<std::string>& arguments);

} // namespace tarnova
