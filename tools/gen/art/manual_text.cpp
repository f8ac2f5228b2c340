#include "manual_text.h"

namespace q50gen {

std::vector<ManualPage> parse_manual(std::istream& in, int page_count) {
    std::vector<ManualPage> pages;
    std::string line;
    bool open_paragraph = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == '#') continue;
        if (line.rfind("= ", 0) == 0) {
            pages.push_back({QString::fromStdString(line.substr(2)), {}, {}});
            open_paragraph = false;
            continue;
        }
        if (pages.empty()) {
            if (!line.empty()) throw std::runtime_error("text before the first page: " + line);
            continue;
        }
        ManualPage& page = pages.back();
        if (line.empty()) {
            open_paragraph = false;
        } else if (line.rfind("@picture ", 0) == 0) {
            page.picture = line.substr(9);
        } else if (line.rfind("! ", 0) == 0) {
            page.blocks.push_back({ManualBlock::Heading, QString::fromStdString(line.substr(2))});
            open_paragraph = false;
        } else if (line.rfind("- ", 0) == 0) {
            page.blocks.push_back({ManualBlock::Item, QString::fromStdString(line.substr(2))});
            open_paragraph = false;
        } else if (open_paragraph) {
            page.blocks.back().text += " " + QString::fromStdString(line);
        } else {
            page.blocks.push_back({ManualBlock::Paragraph, QString::fromStdString(line)});
            open_paragraph = true;
        }
    }
    if (int(pages.size()) != page_count)
        throw std::runtime_error("expected " + std::to_string(page_count) + " pages, found " +
                                 std::to_string(pages.size()));
    return pages;
}

} // namespace q50gen
