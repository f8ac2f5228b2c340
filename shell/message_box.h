#pragma once
// Every message of the program: a modal error box with an OK button. Tests replace the
// presenter so that no box blocks them.
#include "host/services.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <string>

namespace q50 {

using MessagePresenter = std::function<void(QWidget* parent, const QString& text)>;

// QMessageBox::critical with the application's title and a single OK button.
void show_error_box(QWidget* parent, const QString& text);
// The same box with `detail` behind its "Show Details..." button.
using DetailedPresenter =
    std::function<void(QWidget* parent, const QString& text, const QString& detail)>;
void show_detailed_error_box(QWidget* parent, const QString& text, const QString& detail);

// Asks whether to go on without sound (true) or to end (false).
using SoundQuestion = std::function<bool(QWidget* parent, const QString& text)>;
// A warning box with the buttons "Go on without sound" and "End"; closing it ends.
bool ask_go_on_without_sound(QWidget* parent, const QString& text);

class MessageBoxSink : public MessageSink {
  public:
    // Without a presenter for details, the detail goes with the box when `presenter` is
    // show_error_box and only to standard error for any other (a test's) presenter.
    explicit MessageBoxSink(MessagePresenter presenter = show_error_box,
                            DetailedPresenter detailed = {});
    void set_parent(QWidget* parent) { parent_ = parent; }
    void error(const std::string& text) override;
    void detailed_error(const std::string& text, const std::string& detail) override;

  private:
    MessagePresenter presenter_;
    DetailedPresenter detailed_;
    QWidget* parent_ = nullptr;
};

} // namespace q50
