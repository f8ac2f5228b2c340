#pragma once
// The text source of the manual: pages of headings, list items and paragraphs.
#include <QString>

#include <istream>
#include <stdexcept>
#include <string>
#include <vector>

namespace q50gen {

struct ManualBlock {
    enum Kind { Paragraph, Heading, Item } kind;
    QString text;
};

struct ManualPage {
    QString title;
    std::string picture; // empty: text only
    std::vector<ManualBlock> blocks;
};

// "= Title" starts a page, "@picture NAME" names its illustration, "! text" is a heading,
// "- text" a list item, other lines make paragraphs (joined until a blank line), lines
// starting with '#' are comments. Throws std::runtime_error on text before the first page
// or a page count other than `pages`.
std::vector<ManualPage> parse_manual(std::istream& in, int pages);

} // namespace q50gen
