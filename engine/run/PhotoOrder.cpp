#include "run/PhotoOrder.h"

#include "jpeg/ExifDateTaken.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <sys/stat.h>

namespace vorpane {

namespace {

bool IsDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// When a file was taken, or else last modified; nothing when neither can
// be read.
std::optional<TTakenTime> TakenOrModified(const std::string& file) {
    if (const std::optional<TTakenTime> taken = ReadDateTaken(file)) {
        return taken;
    }
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) {
        return std::nullopt;
    }
    return TTakenTime{st.st_mtim.tv_sec, static_cast<std::int32_t>(st.st_mtim.tv_nsec)};
}

} // namespace

int NaturalCompare(std::string_view A, std::string_view B) {
    std::size_t a = 0;
    std::size_t b = 0;
    // When all else is equal: fewer leading zeros first, then capitals.
    int zeros = 0;
    while (a < A.size() && b < B.size()) {
        if (IsDigit(A[a]) && IsDigit(B[b])) {
            const std::size_t aStart = a;
            const std::size_t bStart = b;
            while (a < A.size() && A[a] == '0') {
                ++a;
            }
            while (b < B.size() && B[b] == '0') {
                ++b;
            }
            const std::size_t aDigits = a;
            const std::size_t bDigits = b;
            while (a < A.size() && IsDigit(A[a])) {
                ++a;
            }
            while (b < B.size() && IsDigit(B[b])) {
                ++b;
            }
            if (a - aDigits != b - bDigits) {
                return a - aDigits < b - bDigits ? -1 : 1;
            }
            if (const int c =
                    A.substr(aDigits, a - aDigits).compare(B.substr(bDigits, b - bDigits));
                c != 0) {
                return c;
            }
            if (zeros == 0 && aDigits - aStart != bDigits - bStart) {
                zeros = aDigits - aStart < bDigits - bStart ? -1 : 1;
            }
            continue;
        }
        const int x = std::tolower(static_cast<unsigned char>(A[a]));
        const int y = std::tolower(static_cast<unsigned char>(B[b]));
        if (x != y) {
            return x < y ? -1 : 1;
        }
        if (zeros == 0 && A[a] != B[b]) {
            zeros = static_cast<unsigned char>(A[a]) < static_cast<unsigned char>(B[b]) ? -1 : 1;
        }
        ++a;
        ++b;
    }
    if (a < A.size() || b < B.size()) {
        return a < A.size() ? 1 : -1;
    }
    return zeros;
}

void SortPhotos(std::vector<std::string>& Files, TPhotoOrder Order) {
    const auto byName = [](const std::string& x, const std::string& y) {
        return NaturalCompare(x, y) < 0;
    };
    if (Order == TPhotoOrder::poName) {
        std::stable_sort(Files.begin(), Files.end(), byName);
    } else if (Order == TPhotoOrder::poTaken) {
        std::vector<std::pair<std::optional<TTakenTime>, std::string>> keyed;
        keyed.reserve(Files.size());
        for (std::string& file : Files) {
            keyed.emplace_back(TakenOrModified(file), std::move(file));
        }
        std::stable_sort(keyed.begin(), keyed.end(), [&byName](const auto& x, const auto& y) {
            if (x.first.has_value() != y.first.has_value()) {
                return x.first.has_value();
            }
            if (x.first != y.first) {
                return *x.first < *y.first;
            }
            return byName(x.second, y.second);
        });
        for (std::size_t i = 0; i < Files.size(); ++i) {
            Files[i] = std::move(keyed[i].second);
        }
    }
}

} // namespace vorpane
