#pragma once

#include <QString>
#include <QStringList>

namespace Quickhalo::Log {

// Writes one line "Quickhalo: <message>" to standard error (captured by the journal when
// Quickhalo runs under a session manager). Safe to call from any thread.
void write(const QString& message);

// Collects the lines written while it exists instead of printing them; for tests.
class Capture {
public:
    Capture();
    ~Capture();
    Capture(const Capture&) = delete;
    Capture& operator=(const Capture&) = delete;

    QStringList lines() const;
};

}
