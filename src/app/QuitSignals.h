#pragma once

#include <QObject>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace touchlane {

// Turns SIGTERM and SIGINT (a logout, kill, Ctrl+C) into a call of `quit` on the
// thread of the Qt event loop, so that the program ends the way its menu ends it:
// threads stopped, the last log lines written. The handler only writes to a pipe,
// which is all a signal handler may safely do. One instance at a time; destroying
// it puts the default handling back.
class QuitSignals : public QObject {
    Q_OBJECT
public:
    explicit QuitSignals(std::function<void(int signalNumber)> quit);
    ~QuitSignals() override;
    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

    bool isInstalled() const { return notifier_ != nullptr; }

private:
    void readSignals();

    std::function<void(int)> quit_;
    int pipe_[2] = {-1, -1};
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace touchlane
