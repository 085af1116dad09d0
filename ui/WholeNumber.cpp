#include "WholeNumber.h"

#include <QCoreApplication>

namespace vorpane {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

} // namespace

std::optional<std::int32_t> ParseWholeNumber(std::string_view text) {
    std::size_t at = text.find_first_not_of(' ');
    if (at == std::string_view::npos) {
        return std::nullopt;
    }
    bool negative = false;
    if (text[at] == '+' || text[at] == '-') {
        negative = text[at] == '-';
        ++at;
    }
    std::string_view rest = text.substr(at);
    std::int64_t value = 0;
    if (rest.starts_with('$') || rest.starts_with('x') || rest.starts_with('X') ||
        rest.starts_with("0x")) {
        rest.remove_prefix(rest.starts_with("0x") ? 2 : 1);
        if (rest.empty() || rest.size() > 8) {
            return std::nullopt;
        }
        std::uint32_t bits = 0;
        for (char c : rest) {
            const int digit = HexDigit(c);
            if (digit < 0) {
                return std::nullopt;
            }
            bits = bits << 4 | static_cast<std::uint32_t>(digit);
        }
        value = static_cast<std::int32_t>(bits);
    } else {
        if (rest.empty()) {
            return std::nullopt;
        }
        for (char c : rest) {
            if (c < '0' || c > '9') {
                return std::nullopt;
            }
            value = value * 10 + (c - '0');
            if (value > std::int64_t{INT32_MAX} + 1) {
                return std::nullopt;
            }
        }
    }
    if (negative) {
        value = -value;
    }
    if (value < INT32_MIN || value > INT32_MAX) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

std::int32_t StrToInt(const std::string& text) {
    const std::optional<std::int32_t> value = ParseWholeNumber(text);
    if (!value) {
        throw EConvertError(
            QCoreApplication::translate("vorpane::WholeNumber", "'%1' is not a valid integer value")
                .arg(QString::fromStdString(text))
                .toStdString());
    }
    return *value;
}

} // namespace vorpane
