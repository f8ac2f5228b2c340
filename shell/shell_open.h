#pragma once
// The shell's "open" of a file or an address. Windows that open links take one of these so
// that tests can record the requests instead of starting the user's programs.
#include <QDesktopServices>
#include <QDir>
#include <QString>
#include <QUrl>

#include <functional>

namespace q50 {

using UrlOpener = std::function<void(const QUrl&)>;

inline UrlOpener desktop_url_opener() {
    return [](const QUrl& url) { QDesktopServices::openUrl(url); };
}

// A file name relative to the current directory, as a file URL. The file need not exist: the
// shell is asked all the same and its answer is not looked at.
inline QUrl relative_file_url(const QString& name) {
    return QUrl::fromLocalFile(QDir::current().absoluteFilePath(name));
}

} // namespace q50
