// The rule by which the option fields are read as numbers: optional blanks
// in front, an optional sign, then decimal digits in the signed 32-bit range
// or up to eight hexadecimal digits after "$", "x", "X" or "0x" (their 32
// bits taken as a signed number), and nothing after.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vorpane {

// A text that breaks the rule: "'<text>' is not a valid integer value".
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::optional<std::int32_t> ParseWholeNumber(std::string_view text);

// ParseWholeNumber, raising EConvertError for a text that breaks the rule.
std::int32_t StrToInt(const std::string& text);

} // namespace vorpane
