#pragma once

#include <optional>

#include <QObject>
#include <QString>
#include <QtGlobal>

#include "Config/Models.h"

namespace Quickhalo {

enum class VoiceMemoState { idle, recording, saved };

// The live tool state that slice badges show, read afresh at every paint. `changed` fires after
// any of it changes, so the ring view knows to repaint.
class BadgeSources : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // Seconds left on the countdown timer; none when no countdown is set.
    virtual std::optional<int> countdownRemaining() const = 0;
    virtual QString countdownDisplay() const = 0;
    virtual bool isPomodoroRunning() const = 0;
    virtual QString pomodoroDisplay() const = 0;
    // To-do items not done.
    virtual int openTodoCount() const = 0;
    virtual VoiceMemoState voiceMemoState() const = 0;

Q_SIGNALS:
    void changed();
};

// A symbol drawn instead of the slice's own, in its own colour (0xAARRGGBB, a QRgb).
struct SymbolOverride {
    QString symbol;
    quint32 colour;

    bool operator==(const SymbolOverride&) const = default;
};

// Badge text and symbol overrides for ring slots. Holds no state of its own: every answer
// reflects the sources at the moment of asking. Only built-in tool slices are ever badged;
// an app slice titled "Clock" is just an app.
class SliceBadgeProvider {
public:
    // Apple's system red, which users read as "recording".
    static constexpr quint32 recordingRed = 0xFFFF3B30;

    explicit SliceBadgeProvider(const BadgeSources& sources);

    std::optional<QString> badge(const Slice& slice) const;
    std::optional<SymbolOverride> symbolOverride(const Slice& slice) const;

private:
    const BadgeSources& m_sources;
};

}
