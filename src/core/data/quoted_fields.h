// The quoted texts of the native formats' header lines ("tag","text" and "comment").
#pragma once

#include <string>
#include <string_view>

namespace tarnova {

// Scans " \"%[^\"]\" , \"%[^\"]\"" with scanf's rules, except that a quoted text may be
// empty (""): the files this program writes have such lines. Returns the number of texts
// converted (0 to 2), as scanf counts them: how far the line had the pair's shape.
int scanQuotedPair(std::string_view line, std::string& first, std::string& second);
// Scans " \"%[^\"]\"" the same way; true when the text was converted.
bool scanQuotedText(std::string_view line, std::string& text);

// A text as it can stand between double quotes on one line of a native file: double quotes,
// line feeds, zero bytes and end-of-file marks become blanks, so that the file reads back.
std::string quotableText(std::string_view text);

} // namespace tarnova
