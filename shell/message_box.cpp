#include "shell/message_box.h"

#include "shell/splash_window.h"

#include <QMessageBox>
#include <QPushButton>

namespace q50 {

void show_error_box(QWidget* parent, const QString& text) {
    // The main window may still be off screen: a box centred on it would be off screen too.
    if (parent && !parent->isVisible()) parent = nullptr;
    QMessageBox::critical(parent, QString::fromLatin1(kProductTitle), text, QMessageBox::Ok);
}

void show_detailed_error_box(QWidget* parent, const QString& text, const QString& detail) {
    if (parent && !parent->isVisible()) parent = nullptr;
    QMessageBox box(QMessageBox::Critical, QString::fromLatin1(kProductTitle), text,
                    QMessageBox::Ok, parent);
    box.setDetailedText(detail);
    box.exec();
}

bool ask_go_on_without_sound(QWidget* parent, const QString& text) {
    if (parent && !parent->isVisible()) parent = nullptr;
    QMessageBox box(QMessageBox::Warning, QString::fromLatin1(kProductTitle), text,
                    QMessageBox::NoButton, parent);
    QPushButton* go_on =
        box.addButton(QStringLiteral("Go on without sound"), QMessageBox::AcceptRole);
    QPushButton* end = box.addButton(QStringLiteral("End"), QMessageBox::RejectRole);
    box.setDefaultButton(go_on);
    box.setEscapeButton(end);
    box.exec();
    return box.clickedButton() == go_on;
}

MessageBoxSink::MessageBoxSink(MessagePresenter presenter, DetailedPresenter detailed)
    : presenter_(std::move(presenter)), detailed_(std::move(detailed)) {
    using Plain = void (*)(QWidget*, const QString&);
    const Plain* plain = presenter_.target<Plain>();
    if (!detailed_ && plain && *plain == &show_error_box) detailed_ = show_detailed_error_box;
}

void MessageBoxSink::detailed_error(const std::string& text, const std::string& detail) {
    write_notice(text + " " + detail);
    if (detailed_)
        detailed_(parent_, QString::fromStdString(text), QString::fromStdString(detail));
    else if (presenter_)
        presenter_(parent_, QString::fromStdString(text));
}

void MessageBoxSink::error(const std::string& text) {
    // Also for whoever started the program from a terminal, or reads its log.
    write_notice(text);
    if (presenter_) presenter_(parent_, QString::fromStdString(text));
}

} // namespace q50
