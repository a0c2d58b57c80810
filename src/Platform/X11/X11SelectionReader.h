#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

#include <xcb/xcb.h>

namespace Quickhalo {

// Reads the CLIPBOARD selection over its own X connection, the way any requestor does: ask the
// owner to convert, wait for its answer, take the property (in chunks when it sends INCR).
// Every call blocks for at most `timeout` per answer awaited from the owner, so it belongs on a
// worker thread. One thread at a time.
class X11SelectionReader {
public:
    static constexpr qsizetype maximumBytes = 64 * 1024 * 1024;

    explicit X11SelectionReader(std::chrono::milliseconds timeout = std::chrono::milliseconds(2000));
    ~X11SelectionReader();
    X11SelectionReader(const X11SelectionReader&) = delete;
    X11SelectionReader& operator=(const X11SelectionReader&) = delete;

    bool isConnected() const { return m_connection != nullptr; }

    // The target names the owner offers; empty without an owner or an answer.
    QStringList targets();
    // The selection converted to `target`; none when refused, too slow, or over `maximumBytes`.
    std::optional<QByteArray> convert(const QString& target);
    // Plain text from the best text target offered, if any.
    std::optional<QString> text();

private:
    xcb_atom_t atom(const char* name);
    std::optional<QByteArray> convert(xcb_atom_t target);
    // The first event `wanted` accepts; null on time-out or a broken connection.
    template<typename Predicate>
    xcb_generic_event_t* waitFor(Predicate wanted);
    std::optional<QByteArray> takeProperty(xcb_atom_t* type);

    std::chrono::milliseconds m_timeout;
    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_window = XCB_WINDOW_NONE;
    xcb_atom_t m_clipboard = XCB_ATOM_NONE;
    xcb_atom_t m_property = XCB_ATOM_NONE;
    xcb_atom_t m_incr = XCB_ATOM_NONE;
};

}
