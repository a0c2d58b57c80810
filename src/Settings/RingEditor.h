#pragma once

#include "Config/ConfigStore.h"
#include "Config/Models.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace Quickhalo {

// What the Rings tab edits: the ring and slot being shown, every change to them written through
// the configuration store (one save per change), and the undo history of this window session.
// Edits that change nothing are not saved and leave no step.
class RingEditor final : public QObject {
    Q_OBJECT

public:
    static constexpr std::size_t historyDepth = 100;

    RingEditor(ConfigStore& store, ConfigStore::DefaultFactory makeDefault, QObject* parent = nullptr);

    const QuickhaloConfig& config() const { return m_store.config(); }
    // Why the rings could not be saved, while that lasts.
    const std::optional<QString>& saveError() const { return m_store.saveError(); }
    int ringCount() const { return static_cast<int>(config().rings.size()); }
    // The ring being edited, clamped to the rings there are.
    int safeRing() const;
    const RingPage* ring() const;
    std::optional<int> slot() const { return m_slot; }
    std::optional<Slice> selectedSlice() const;

    void selectRing(int index);
    void selectSlot(std::optional<int> slot);

    void addRing();
    // Only with two rings or more: a configuration always keeps one.
    void removeRing();
    void renameRing(const QString& name);

    // Edits of the selected slot; nothing happens without one.
    void addAction();
    void clearSlot();
    // Another type starts from that type's initial payload; the type it already has changes nothing.
    void setType(KindType type);
    void chooseTool(BuiltinTool tool);
    void choosePosition(WindowPosition position);
    // The text of the current type: path, address, shortcut name or command.
    void setPayload(const QString& text);
    void chooseApplication(const QString& path, const QString& title);
    void setTitle(const QString& title);
    void setSymbol(const QString& symbol);

    // Swaps two slots of the current ring; the selection follows the moved slot.
    void moveSlot(int from, int to);

    void resetToDefaults();

    bool canUndo() const { return !m_undo.empty(); }
    bool canRedo() const { return !m_redo.empty(); }
    void undo();
    void redo();
    // Typing goes into one step until this is called (when a field loses focus, say).
    void endTyping() { m_typingKey.clear(); }
    void forgetHistory();

    // Text in a slot's payload field, for the kinds that have one.
    static std::optional<QString> payloadText(const ActionKind& kind);
    // That field itself; nothing for tools and snap positions.
    static QString* payloadField(ActionKind& kind);

Q_SIGNALS:
    void changed();

private:
    struct Place {
        int ring = 0;
        std::optional<int> slot;
    };
    struct Step {
        QuickhaloConfig before;
        QuickhaloConfig after;
        Place placeBefore;
        Place placeAfter;
    };

    // Writes `next` as one step; a non-empty `typingKey` joins the previous step of the same key.
    void commit(QuickhaloConfig next, Place place, const QString& typingKey = {});
    void editSelected(const std::function<void(std::optional<Slice>&)>& edit, const QString& typingKey = {});
    void restore(const QuickhaloConfig& config, Place place);
    QString keyFor(const char* field) const;

    ConfigStore& m_store;
    ConfigStore::DefaultFactory m_makeDefault;
    int m_ringIndex = 0;
    std::optional<int> m_slot;
    std::vector<Step> m_undo;
    std::vector<Step> m_redo;
    QString m_typingKey;
    bool m_isWriting = false;
};

}
