// The orders a list of photographs can be put in before a run: by name as
// people count (IMG_2 before IMG_10), or by when each was taken.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vorpane {

enum class TPhotoOrder {
    poAsGiven,
    poName,  // natural order of the paths
    poTaken, // EXIF date taken, else the file's modification time, then the name
};

// Below 0, 0 or above 0 as A comes before, with or after B: byte by byte,
// ASCII letters in either case alike, but a run of digits against a run of
// digits by the number it is (IMG_2 before IMG_10). When that finds them
// equal, fewer leading zeros and then capitals come first.
int NaturalCompare(std::string_view A, std::string_view B);

// Sorts Files, stably. poTaken: by each photograph's EXIF date taken
// (ReadDateTaken), for one without it the file's modification time, then
// by name (NaturalCompare); files that can't be read come last, by name.
void SortPhotos(std::vector<std::string>& Files, TPhotoOrder Order);

} // namespace vorpane
