#include "jpeg/IccSegments.h"

#include <algorithm>
#include <cstring>

namespace vorpane {

namespace {

constexpr std::uint8_t kHeader[kIccSegmentHeaderSize] = {'I', 'C', 'C', '_', 'P', 'R',
                                                         'O', 'F', 'I', 'L', 'E', 0};
// A profile's header: its size (four bytes, big-endian) comes first.
constexpr std::size_t kProfileHeaderSize = 128;

} // namespace

bool IsIccSegment(const std::uint8_t* Contents, std::size_t Size) {
    return Size >= kIccSegmentHeaderSize && std::memcmp(Contents, kHeader, sizeof kHeader) == 0;
}

std::vector<std::uint8_t> JoinIccSegments(const std::vector<std::vector<std::uint8_t>>& Segments) {
    if (Segments.empty() || Segments.size() > 255) {
        return {};
    }
    const std::size_t count = Segments.size();
    std::vector<const std::vector<std::uint8_t>*> pieces(count, nullptr);
    for (const std::vector<std::uint8_t>& segment : Segments) {
        if (segment.size() < kIccSegmentHeaderSize + 2 ||
            !IsIccSegment(segment.data(), segment.size())) {
            return {};
        }
        const std::size_t sequence = segment[kIccSegmentHeaderSize];
        if (segment[kIccSegmentHeaderSize + 1] != count || sequence < 1 || sequence > count ||
            pieces[sequence - 1] != nullptr) {
            return {};
        }
        pieces[sequence - 1] = &segment;
    }
    std::vector<std::uint8_t> profile;
    for (const std::vector<std::uint8_t>* piece : pieces) {
        profile.insert(profile.end(), piece->begin() + kIccSegmentHeaderSize + 2, piece->end());
    }
    if (profile.size() < kProfileHeaderSize) {
        return {};
    }
    const std::size_t declared = std::size_t{profile[0]} << 24 | std::size_t{profile[1]} << 16 |
                                 std::size_t{profile[2]} << 8 | profile[3];
    if (declared != profile.size()) {
        return {};
    }
    return profile;
}

} // namespace vorpane
