#include "cFileIconProvider.h"

namespace vorpane {

QIcon TFileIconProvider::icon(const QFileInfo& Info) const {
    QIcon found = QFileIconProvider::icon(Info);
    // An item gone since it was listed has no icon of its own.
    if (found.isNull()) {
        found = QFileIconProvider::icon(Info.isDir() ? Folder : File);
    }
    return found;
}

TFileIconProvider& TFileIconProvider::Instance() {
    static TFileIconProvider provider;
    return provider;
}

} // namespace vorpane
