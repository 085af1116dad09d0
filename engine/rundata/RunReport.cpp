#include "rundata/RunReport.h"

#include "Errors.h"

#include <cerrno>
#include <cstdio>

namespace vorpane {

TReasonKind ReasonKindOf(const std::exception& Error) {
    if (IsMachineFault(Error)) {
        return TReasonKind::rkMachineFault;
    }
    if (const auto* file = dynamic_cast<const EFileError*>(&Error)) {
        return OpenFailureKind(file->Errno());
    }
    if (dynamic_cast<const ETooLargeError*>(&Error) != nullptr) {
        return TReasonKind::rkTooLarge;
    }
    return TReasonKind::rkUndecodable;
}

TReasonKind OpenFailureKind(int Errno) {
    if (IsMachineErrno(Errno)) {
        return TReasonKind::rkMachineFault;
    }
    return Errno == ENOENT || Errno == ENOTDIR ? TReasonKind::rkMissing : TReasonKind::rkUnreadable;
}

std::string SizeText(std::int64_t Bytes) {
    if (Bytes < 1000) {
        return std::to_string(Bytes) + (Bytes == 1 ? " byte" : " bytes");
    }
    static const char* const kUnits[] = {"kB", "MB", "GB", "TB"};
    double value = static_cast<double>(Bytes) / 1000;
    std::size_t unit = 0;
    // 999.96 kB shows as 1.0 MB, not as 1000.0 kB.
    while (value >= 999.95 && unit + 1 < std::size(kUnits)) {
        value /= 1000;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[unit]);
    return text;
}

} // namespace vorpane
