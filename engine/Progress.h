#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace vorpane {

// The progress callback of every long operation: a text (a file name or a
// phase such as "converting.."), a total and the amount done so far. Totals
// are 64-bit: a list of photographs easily passes 2 GiB.
using TProgressProc =
    std::function<void(const std::string& Text, std::int64_t Total, std::int64_t Done)>;

} // namespace vorpane
