// An ICC colour profile as a JPEG file carries it: cut into pieces, each in
// an APP2 segment whose contents begin with "ICC_PROFILE" and a zero byte,
// then the piece's sequence number (from 1) and the number of pieces.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vorpane {

// The bytes before a piece's sequence number and count.
inline constexpr std::size_t kIccSegmentHeaderSize = 12;

// Whether an APP2 segment's contents begin with "ICC_PROFILE" and a zero
// byte.
bool IsIccSegment(const std::uint8_t* Contents, std::size_t Size);

// Joins the contents of a file's ICC segments, in the order they stand in
// the file, into one profile. Empty, and the profile ignored, unless every
// segment names the same count, each sequence number from 1 to that count
// comes exactly once, and the pieces together are as large as the profile's
// header says (at least its 128 bytes).
std::vector<std::uint8_t> JoinIccSegments(const std::vector<std::vector<std::uint8_t>>& Segments);

} // namespace vorpane
