#include "platform/qt/qt_shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace quillon {

bool QtShell::Open(const std::string& target) {
    const QString text = QString::fromStdString(target).trimmed();
    if (text.isEmpty()) return false;
    const QUrl url(text, QUrl::StrictMode);
    // A one-letter scheme is a drive letter of a path, not an address.
    const bool address = url.isValid() && url.scheme().size() > 1 && !QFileInfo::exists(text);
    return QDesktopServices::openUrl(
        address ? url : QUrl::fromLocalFile(QFileInfo(text).absoluteFilePath()));
}

}  // namespace quillon
