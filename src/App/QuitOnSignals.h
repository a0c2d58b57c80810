#pragma once

#include <QObject>

#include <initializer_list>

class QSocketNotifier;

namespace Quickhalo {

// Turns SIGINT and SIGTERM into an orderly quit of the Qt event loop: the handler only writes
// the signal number to a pipe, and the main thread reacts when the event loop reads it.
class QuitOnSignals : public QObject {
    Q_OBJECT

public:
    explicit QuitOnSignals(std::initializer_list<int> signalNumbers, QObject* parent = nullptr);
    ~QuitOnSignals() override;

Q_SIGNALS:
    void received(int signalNumber);

private:
    void readSignal();

    QSocketNotifier* m_notifier = nullptr;
};

}
