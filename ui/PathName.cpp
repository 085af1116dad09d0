#include "PathName.h"

namespace vorpane {

qsizetype NameStart(const QString& Path) {
    return Path.lastIndexOf(QLatin1Char('/')) + 1;
}

} // namespace vorpane
