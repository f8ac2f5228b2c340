#pragma once
// The project's two links, as the splash window and the about window both show and open them.
// The project has no web site of its own: the "website" is its notes, shipped beside the
// program; the mail address lies in a reserved domain and belongs to nobody.
#include "shell/shell_open.h"

#include <QString>
#include <QUrl>

namespace q50 {

inline QString website_text() {
    return QStringLiteral("project notes (Readme.txt)");
}
inline QUrl website_url() {
    return relative_file_url(QStringLiteral("Readme.txt"));
}
inline QString email_text() {
    return QStringLiteral("developers@quendrix50.invalid");
}
inline QUrl email_url() {
    return QUrl(QStringLiteral("mailto:") + email_text());
}

} // namespace q50
