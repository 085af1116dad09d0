#include "PrintableText.h"

#include <cstdint>

namespace vorpane {

namespace {

// The length of the valid UTF-8 sequence at the start of text, 0 when it is
// none (a stray continuation byte, an overlong form, a surrogate, beyond
// U+10FFFF, cut short); code receives the code point.
std::size_t Utf8Length(std::string_view text, std::uint32_t& code) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    std::uint32_t lowest = 0;
    if (lead < 0x80) {
        code = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
        lowest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
        lowest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
        lowest = 0x10000;
    } else {
        return 0;
    }
    if (text.size() < length) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) {
            return 0;
        }
        code = (code << 6) | (byte(i) & 0x3F);
    }
    if (code < lowest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return 0;
    }
    return length;
}

void AppendOctal(std::string& out, unsigned char byte) {
    out += '\\';
    out += static_cast<char>('0' + (byte >> 6));
    out += static_cast<char>('0' + ((byte >> 3) & 7));
    out += static_cast<char>('0' + (byte & 7));
}

} // namespace

std::string PrintableText(std::string_view Text) {
    std::string out;
    out.reserve(Text.size());
    while (!Text.empty()) {
        std::uint32_t code = 0;
        const std::size_t length = Utf8Length(Text, code);
        const bool control = code < 0x20 || code == 0x7F || (code >= 0x80 && code <= 0x9F);
        if (length == 0 || control) {
            const std::size_t bad = length == 0 ? 1 : length;
            static constexpr std::string_view kEscapes = "abtnvfr";
            if (length == 1 && code >= '\a' && code <= '\r') {
                out += '\\';
                out += kEscapes[code - '\a'];
            } else {
                for (std::size_t i = 0; i < bad; ++i) {
                    AppendOctal(out, static_cast<unsigned char>(Text[i]));
                }
            }
            Text.remove_prefix(bad);
            continue;
        }
        if (code == '\\') {
            out += "\\\\";
        } else {
            out.append(Text.substr(0, length));
        }
        Text.remove_prefix(length);
    }
    return out;
}

} // namespace vorpane
