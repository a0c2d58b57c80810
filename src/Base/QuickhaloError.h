#pragma once

#include <QString>

#include <utility>

namespace Quickhalo {

// An error that carries one human-readable message and nothing else; whoever shows it
// shows the message unchanged.
struct QuickhaloError {
    QString message;

    explicit QuickhaloError(QString text)
        : message(std::move(text))
    {
    }
    const QString& description() const { return message; }
    bool operator==(const QuickhaloError&) const = default;
};

}
