// The help file: an HTML document whose topics each begin with a named anchor
// (<a name="ctx39"></a> for context 39); the text before the first anchor is the page head.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnova {

// Help requests: a topic by context number, help on using help, the contents and index.
inline constexpr int kHelpContext = 1;
inline constexpr int kHelpOnHelp = 4;
inline constexpr int kHelpFinder = 11;

inline constexpr std::string_view kHelpFinderTopic = "contents";
inline constexpr std::string_view kHelpOnHelpTopic = "usinghelp";

// The anchor name of a context number: "ctx" and the number.
std::string HelpContextTopic(int context);

class HelpDocument final {
  public:
    explicit HelpDocument(std::string html);

    // One topic as a page of its own (the head, the topic, the closing tags); none when the
    // document has no such topic.
    std::optional<std::string> topicPage(std::string_view name) const;
    std::vector<std::string> topicNames() const;

  private:
    struct Topic {
        std::string name;
        std::size_t begin = 0;
        std::size_t end = 0;
    };
    std::string html_;
    std::size_t headEnd_ = 0;
    std::vector<Topic> topics_;
};

} // namespace tarnova
