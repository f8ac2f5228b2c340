#pragma once
// SIGINT, SIGTERM and SIGHUP end the program the way closing its window does: the signal handler
// only writes to a pipe, and the message loop does the rest.
#include <QObject>

#include <functional>

class QSocketNotifier;

namespace q50 {

class QuitSignals : public QObject {
    Q_OBJECT
  public:
    explicit QuitSignals(std::function<void(int signal)> on_signal, QObject* parent = nullptr);
    ~QuitSignals() override;

  private:
    std::function<void(int)> on_signal_;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace q50
