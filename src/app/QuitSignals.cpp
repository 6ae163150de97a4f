#include "app/QuitSignals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>

namespace touchlane {

namespace {

constexpr int kQuitSignals[] = {SIGTERM, SIGINT};
// Written by the handler; -1 while no instance is installed.
volatile sig_atomic_t signalPipeWriteEnd = -1;

void onQuitSignal(int signalNumber) {
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    if (signalPipeWriteEnd >= 0) [[maybe_unused]] ssize_t ignored = ::write(signalPipeWriteEnd, &byte, 1);
    errno = savedErrno;
}

}  // namespace

QuitSignals::QuitSignals(std::function<void(int signalNumber)> quit) : quit_(std::move(quit)) {
    if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) return;
    notifier_ = new QSocketNotifier(pipe_[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { readSignals(); });
    signalPipeWriteEnd = pipe_[1];
    struct sigaction action {};
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signalNumber : kQuitSignals) ::sigaction(signalNumber, &action, nullptr);
}

QuitSignals::~QuitSignals() {
    if (!notifier_) return;
    for (int signalNumber : kQuitSignals) ::signal(signalNumber, SIG_DFL);
    signalPipeWriteEnd = -1;
    for (int fd : pipe_) ::close(fd);
}

void QuitSignals::readSignals() {
    unsigned char byte = 0;
    while (::read(pipe_[0], &byte, 1) == 1) {
        if (quit_) quit_(byte);
    }
}

}  // namespace touchlane
