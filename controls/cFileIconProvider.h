// TFileIconProvider: the icons of the folder tree and the file list. The
// desktop's icons where it has them, else the style's standard folder and
// file icons, so that no item goes without an icon even where the icon theme
// is the generic one (a bare X server, many window managers). One instance
// serves the whole program.
#pragma once

#include <QFileIconProvider>

namespace vorpane {

class TFileIconProvider : public QFileIconProvider {
public:
    using QFileIconProvider::icon;
    QIcon icon(const QFileInfo& Info) const override;

    static TFileIconProvider& Instance();
};

} // namespace vorpane
