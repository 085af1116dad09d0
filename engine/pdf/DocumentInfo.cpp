#include "pdf/DocumentInfo.h"

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <vector>

namespace vorpane {

namespace {

// The code points of UTF-8 text; U+FFFD for each byte that doesn't belong.
std::vector<char32_t> CodePoints(std::string_view text) {
    std::vector<char32_t> points;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int length = lead < 0x80                   ? 1
                           : lead >= 0xC2 && lead < 0xE0 ? 2
                           : lead >= 0xE0 && lead < 0xF0 ? 3
                           : lead >= 0xF0 && lead < 0xF5 ? 4
                                                         : 0;
        char32_t point = length == 1   ? lead
                         : length == 2 ? lead & 0x1F
                         : length == 3 ? lead & 0x0F
                                       : lead & 0x07;
        bool valid = length > 0 && i + static_cast<std::size_t>(length) <= text.size();
        for (int k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            valid = (next & 0xC0) == 0x80;
            point = point << 6 | (next & 0x3F);
        }
        // Overlong forms, surrogates and points past U+10FFFF are no text.
        valid = valid && !(length == 3 && point < 0x800) && !(length == 4 && point < 0x10000) &&
                !(point >= 0xD800 && point <= 0xDFFF) && point <= 0x10FFFF;
        points.push_back(valid ? point : U'\uFFFD');
        i += valid ? static_cast<std::size_t>(length) : 1;
    }
    return points;
}

void PutByte(std::string& out, unsigned char byte) {
    if (byte == '(' || byte == ')' || byte == '\\') {
        out += '\\';
        out += static_cast<char>(byte);
    } else if (byte >= 0x20 && byte < 0x7F) {
        out += static_cast<char>(byte);
    } else {
        char octal[5];
        std::snprintf(octal, sizeof octal, "\\%03o", byte);
        out += octal;
    }
}

bool Digits(std::string_view text, std::size_t at, std::size_t count, int& value) {
    if (at + count > text.size()) {
        return false;
    }
    value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

std::string Now() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "D:%Y%m%d%H%M%S", &local);
    const long offset = local.tm_gmtoff / 60;
    std::string date = text;
    if (offset == 0) {
        return date + "Z";
    }
    char zone[48];
    std::snprintf(zone, sizeof zone, "%c%02ld'%02ld'", offset < 0 ? '-' : '+',
                  (offset < 0 ? -offset : offset) / 60, (offset < 0 ? -offset : offset) % 60);
    return date + zone;
}

} // namespace

std::string PdfTextString(std::string_view Utf8) {
    std::string out = "(";
    bool ascii = true;
    for (const char c : Utf8) {
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    }
    if (ascii) {
        for (const char c : Utf8) {
            PutByte(out, static_cast<unsigned char>(c));
        }
        return out + ")";
    }
    const auto put16 = [&out](char32_t unit) {
        PutByte(out, static_cast<unsigned char>(unit >> 8));
        PutByte(out, static_cast<unsigned char>(unit & 0xFF));
    };
    put16(0xFEFF);
    for (char32_t point : CodePoints(Utf8)) {
        if (point >= 0x10000) {
            point -= 0x10000;
            put16(0xD800 + (point >> 10));
            put16(0xDC00 + (point & 0x3FF));
        } else {
            put16(point);
        }
    }
    return out + ")";
}

std::optional<std::string> PdfDate(std::string_view Iso8601) {
    const std::string_view text = Iso8601;
    if (text == "now") {
        return Now();
    }
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!Digits(text, 0, 4, year) || text.size() < 10 || text[4] != '-' || text[7] != '-' ||
        !Digits(text, 5, 2, month) || !Digits(text, 8, 2, day) || month < 1 || month > 12 ||
        day < 1 || day > DaysInMonth(year, month)) {
        return std::nullopt;
    }
    std::size_t at = 10;
    if (at < text.size()) {
        if ((text[at] != 'T' && text[at] != ' ') || !Digits(text, at + 1, 2, hour) ||
            at + 3 >= text.size() || text[at + 3] != ':' || !Digits(text, at + 4, 2, minute) ||
            hour > 23 || minute > 59) {
            return std::nullopt;
        }
        at += 6;
        if (at < text.size() && text[at] == ':') {
            if (!Digits(text, at + 1, 2, second) || second > 60) {
                return std::nullopt;
            }
            at += 3;
            if (at < text.size() && (text[at] == '.' || text[at] == ',')) {
                ++at;
                const std::size_t first = at;
                while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
                    ++at;
                }
                if (at == first) {
                    return std::nullopt;
                }
            }
        }
    }
    char date[64];
    std::snprintf(date, sizeof date, "D:%04d%02d%02d%02d%02d%02d", year, month, day, hour, minute,
                  second);
    std::string pdf = date;
    if (at == text.size()) {
        return pdf;
    }
    if (text.substr(at) == "Z") {
        return pdf + "Z";
    }
    int zoneHour = 0;
    int zoneMinute = 0;
    const std::string_view zone = text.substr(at);
    const bool sign = zone[0] == '+' || zone[0] == '-';
    const bool valid = sign && Digits(zone, 1, 2, zoneHour) &&
                       (zone.size() == 3 ||
                        (zone.size() == 6 && zone[3] == ':' && Digits(zone, 4, 2, zoneMinute)) ||
                        (zone.size() == 5 && Digits(zone, 3, 2, zoneMinute)));
    if (!valid || zoneHour > 23 || zoneMinute > 59) {
        return std::nullopt;
    }
    char offset[48];
    std::snprintf(offset, sizeof offset, "%c%02d'%02d'", zone[0], zoneHour, zoneMinute);
    return pdf + offset;
}

} // namespace vorpane
