#include "PathName.h"

#include <algorithm>

namespace vorpane {

qsizetype NameStart(const QString& Path) {
    return std::max(Path.lastIndexOf(QLatin1Char('/')), Path.lastIndexOf(QLatin1Char(':'))) + 1;
}

} // namespace vorpane
