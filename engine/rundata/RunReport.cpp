#include "rundata/RunReport.h"

#include "Errors.h"

#include <cerrno>

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

} // namespace vorpane
