#include "shell/help_document.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace tarnova {
namespace {

TEST(HelpDocument, ShowsOneTopicWithTheHead) {
    const HelpDocument document("<html><head><title>T</title></head><body>\n"
                                "<a name=\"ctx1\"></a><h2>Cover</h2>\n"
                                "<A NAME=\"ctx39\"></a><h2>Main</h2><a href=\"#ctx1\">x</a>\n"
                                "</body></html>\n");
    EXPECT_EQ(document.topicNames(), (std::vector<std::string>{"ctx1", "ctx39"}));
    EXPECT_EQ(document.topicPage("ctx1"), "<html><head><title>T</title></head><body>\n"
                                          "<a name=\"ctx1\"></a><h2>Cover</h2>\n</body></html>\n");
    EXPECT_EQ(document.topicPage(HelpContextTopic(39)),
              "<html><head><title>T</title></head><body>\n"
              "<A NAME=\"ctx39\"></a><h2>Main</h2><a href=\"#ctx1\">x</a>\n</body></html>\n");
    EXPECT_FALSE(document.topicPage("ctx2").has_value());
    EXPECT_TRUE(HelpDocument("").topicNames().empty());
    EXPECT_TRUE(HelpDocument("<a name=\"unterminated").topicNames().empty());
}

TEST(HelpDocument, ShippedFileHasEveryTopicTheProgramAsksFor) {
    std::ifstream file(TARNOVA_SOURCE_DIR "/resources/TARNOVA.HLP", std::ios::binary);
    ASSERT_TRUE(file);
    std::ostringstream text;
    text << file.rdbuf();
    const HelpDocument document(text.str());
    for (const int context : {1,  39,  40,  41,  42,  43,  44,  45,  51,  54,  72,  76,
                              97, 118, 119, 120, 139, 143, 185, 191, 192, 193, 194, 218}) {
        EXPECT_TRUE(document.topicPage(HelpContextTopic(context))) << context;
    }
    EXPECT_TRUE(document.topicPage(kHelpFinderTopic));
    EXPECT_TRUE(document.topicPage(kHelpOnHelpTopic));
}

} // namespace
} // namespace tarnova
