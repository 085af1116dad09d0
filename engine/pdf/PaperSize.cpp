#include "pdf/PaperSize.h"

#include <algorithm>

namespace vorpane {

const TPaperSize* FindPaperSize(std::string_view Name) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    for (const TPaperSize& paper : kPaperSizes) {
        if (paper.Name.size() == Name.size() &&
            std::equal(Name.begin(), Name.end(), paper.Name.begin(),
                       [&](char x, char y) { return lower(x) == lower(y); })) {
            return &paper;
        }
    }
    return nullptr;
}

} // namespace vorpane
