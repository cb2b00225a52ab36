// SPDX-License-Identifier: GPL-3.0-or-later

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include "platform/base/Exception.h"
#include "platform/qt/QtServices.h"

namespace platform::qt {

// The guide goes to the desktop's web browser: it shows the pictures and
// links, searches and prints, and stays open beside the program. It is
// installed beside the program (prefix/share/doc/quorvin) or, in a build
// tree, in the build's docs folder.
void QtServices::showUserGuide() {
    const QDir programDir(QCoreApplication::applicationDirPath());
    const QStringList candidates = {
        programDir.absoluteFilePath("../share/doc/quorvin/user-guide.html"),
        programDir.absoluteFilePath("../docs/user-guide.html"),
    };
    for (const QString& candidate : candidates) {
        const QFileInfo guide(candidate);
        if (!guide.isFile())
            continue;
        const QString path = guide.canonicalFilePath();
        if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
            throw Exception("No web browser could be started to show the user guide. It is at " +
                            path.toStdString() + ".");
        return;
    }
    throw Exception("The user guide was not found. It should be at " +
                    QDir::cleanPath(candidates.front()).toStdString() + ".");
}

}  // namespace platform::qt
