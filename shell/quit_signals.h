#pragma once
// SIGINT, SIGTERM and SIGHUP end the program the way closing its window does: the signal handler
// only writes to a pipe, and the message loop does the rest. While the program is still
// starting (before its message loop runs), a signal ends the process at once: a start held by
// a file that does not answer must not outlive the request to end.
#include <QObject>

#include <functional>

class QSocketNotifier;

namespace q50 {

class QuitSignals : public QObject {
    Q_OBJECT
  public:
    explicit QuitSignals(std::function<void(int signal)> on_signal, QObject* parent = nullptr);
    ~QuitSignals() override;

    // Between the two calls a signal ends the process at once, with status 0.
    static void set_starting(bool on);

  private:
    std::function<void(int)> on_signal_;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace q50
