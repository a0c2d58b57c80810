#include "App/QuitOnSignals.h"

#include "Base/Log.h"

#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>

namespace Quickhalo {

namespace {
int s_pipe[2] = { -1, -1 };

void onSignal(int signalNumber)
{
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const auto written = ::write(s_pipe[1], &byte, 1);
    errno = savedErrno;
}
}

QuitOnSignals::QuitOnSignals(std::initializer_list<int> signalNumbers, QObject* parent)
    : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, s_pipe) != 0) {
        Log::write(QStringLiteral("cannot watch for quit signals: ") + QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    m_notifier = new QSocketNotifier(s_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &QuitOnSignals::readSignal);

    for (const int signalNumber : signalNumbers) {
        struct sigaction action {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(signalNumber, &action, nullptr);
    }
    connect(this, &QuitOnSignals::received, this, [](int signalNumber) {
        Log::write(QStringLiteral("received SIG%1, quitting").arg(QString::fromLocal8Bit(sigabbrev_np(signalNumber))));
        QCoreApplication::quit();
    });
}

QuitOnSignals::~QuitOnSignals()
{
    for (int& end : s_pipe) {
        if (end >= 0)
            ::close(end);
        end = -1;
    }
}

void QuitOnSignals::readSignal()
{
    unsigned char byte = 0;
    while (::read(s_pipe[0], &byte, 1) == 1)
        Q_EMIT received(byte);
}

}
