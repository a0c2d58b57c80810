#include "Settings/RingEditor.h"

#include <QUuid>

#include <algorithm>
#include <type_traits>
#include <variant>

namespace Quickhalo {

RingEditor::RingEditor(ConfigStore& store, ConfigStore::DefaultFactory makeDefault, QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_makeDefault(std::move(makeDefault))
{
    connect(&m_store, &ConfigStore::configChanged, this, [this] {
        if (m_isWriting)
            return;
        // Someone else changed the rings: typing after this is a step of its own.
        endTyping();
        Q_EMIT changed();
    });
}

int RingEditor::safeRing() const
{
    return ringCount() == 0 ? 0 : std::min(m_ringIndex, ringCount() - 1);
}

const RingPage* RingEditor::ring() const
{
    return ringCount() == 0 ? nullptr : &config().rings[static_cast<std::size_t>(safeRing())];
}

std::optional<Slice> RingEditor::selectedSlice() const
{
    const RingPage* page = ring();
    if (!page || !m_slot)
        return std::nullopt;
    return page->slices[static_cast<std::size_t>(*m_slot)];
}

void RingEditor::selectRing(int index)
{
    if (index < 0 || index >= ringCount() || (index == m_ringIndex && !m_slot))
        return;
    m_ringIndex = index;
    m_slot.reset();
    endTyping();
    Q_EMIT changed();
}

void RingEditor::selectSlot(std::optional<int> slot)
{
    if (slot && (*slot < 0 || *slot >= static_cast<int>(RingPage::slotCount)))
        return;
    if (slot == m_slot)
        return;
    m_slot = slot;
    endTyping();
    Q_EMIT changed();
}

void RingEditor::addRing()
{
    QuickhaloConfig next = config();
    RingPage page;
    page.id = QUuid::createUuid();
    page.name = QStringLiteral("Ring %1").arg(next.rings.size() + 1);
    page.slices = RingPage::normalised({});
    next.rings.push_back(std::move(page));
    const int added = static_cast<int>(next.rings.size()) - 1;
    commit(std::move(next), { added, std::nullopt });
}

void RingEditor::removeRing()
{
    if (ringCount() < 2)
        return;
    QuickhaloConfig next = config();
    next.rings.erase(next.rings.begin() + safeRing());
    const int last = static_cast<int>(next.rings.size()) - 1;
    commit(std::move(next), { std::min(m_ringIndex, last), std::nullopt });
}

void RingEditor::renameRing(const QString& name)
{
    if (!ring())
        return;
    QuickhaloConfig next = config();
    next.rings[static_cast<std::size_t>(safeRing())].name = name;
    commit(std::move(next), { m_ringIndex, m_slot }, keyFor("name"));
}

void RingEditor::addAction()
{
    editSelected([](std::optional<Slice>& slice) {
        if (!slice)
            slice = Slice::forTool(BuiltinTool::clipboard);
    });
}

void RingEditor::clearSlot()
{
    editSelected([](std::optional<Slice>& slice) { slice.reset(); });
}

void RingEditor::setType(KindType type)
{
    editSelected([type](std::optional<Slice>& slice) {
        if (slice && KindTypes::of(slice->kind) != type)
            slice->kind = KindTypes::initialKind(type);
    });
}

void RingEditor::chooseTool(BuiltinTool tool)
{
    editSelected([tool](std::optional<Slice>& slice) {
        if (!slice)
            return;
        slice->kind = Actions::Builtin { tool };
        slice->title = BuiltinTools::title(tool);
        slice->symbol = BuiltinTools::symbol(tool);
    });
}

void RingEditor::choosePosition(WindowPosition position)
{
    editSelected([position](std::optional<Slice>& slice) {
        if (!slice)
            return;
        slice->kind = Actions::Snap { position };
        slice->title = WindowPositions::title(position);
        slice->symbol = WindowPositions::symbol(position);
    });
}

void RingEditor::setPayload(const QString& text)
{
    editSelected(
        [&text](std::optional<Slice>& slice) {
            if (QString* field = slice ? payloadField(slice->kind) : nullptr)
                *field = text;
        },
        keyFor("payload"));
}

void RingEditor::chooseApplication(const QString& path, const QString& title)
{
    editSelected([&](std::optional<Slice>& slice) {
        if (!slice)
            return;
        slice->kind = Actions::App { path };
        slice->title = title;
    });
}

void RingEditor::setTitle(const QString& title)
{
    editSelected(
        [&title](std::optional<Slice>& slice) {
            if (slice)
                slice->title = title;
        },
        keyFor("title"));
}

void RingEditor::setSymbol(const QString& symbol)
{
    editSelected(
        [&symbol](std::optional<Slice>& slice) {
            if (slice)
                slice->symbol = symbol;
        },
        keyFor("symbol"));
}

void RingEditor::moveSlot(int from, int to)
{
    const int count = static_cast<int>(RingPage::slotCount);
    if (!ring() || from == to || from < 0 || to < 0 || from >= count || to >= count)
        return;
    QuickhaloConfig next = config();
    auto& slices = next.rings[static_cast<std::size_t>(safeRing())].slices;
    std::swap(slices[static_cast<std::size_t>(from)], slices[static_cast<std::size_t>(to)]);
    commit(std::move(next), { m_ringIndex, to });
}

void RingEditor::resetToDefaults()
{
    commit(m_makeDefault(), { 0, std::nullopt });
}

void RingEditor::undo()
{
    if (m_undo.empty())
        return;
    Step step = std::move(m_undo.back());
    m_undo.pop_back();
    endTyping();
    restore(step.before, step.placeBefore);
    m_redo.push_back(std::move(step));
}

void RingEditor::redo()
{
    if (m_redo.empty())
        return;
    Step step = std::move(m_redo.back());
    m_redo.pop_back();
    endTyping();
    restore(step.after, step.placeAfter);
    m_undo.push_back(std::move(step));
}

void RingEditor::forgetHistory()
{
    m_undo.clear();
    m_redo.clear();
    endTyping();
}

QString* RingEditor::payloadField(ActionKind& kind)
{
    return std::visit(
        [](auto& action) -> QString* {
            using Action = std::decay_t<decltype(action)>;
            if constexpr (std::is_same_v<Action, Actions::App>)
                return &action.path;
            else if constexpr (std::is_same_v<Action, Actions::Url>)
                return &action.address;
            else if constexpr (std::is_same_v<Action, Actions::Shortcut>)
                return &action.name;
            else if constexpr (std::is_same_v<Action, Actions::Shell>)
                return &action.command;
            else
                return nullptr;
        },
        kind);
}

std::optional<QString> RingEditor::payloadText(const ActionKind& kind)
{
    ActionKind copy = kind;
    if (const QString* field = payloadField(copy))
        return *field;
    return std::nullopt;
}

void RingEditor::commit(QuickhaloConfig next, Place place, const QString& typingKey)
{
    const Place placeBefore { m_ringIndex, m_slot };
    if (next == config()) {
        if (place.ring != m_ringIndex || place.slot != m_slot) {
            m_ringIndex = place.ring;
            m_slot = place.slot;
            Q_EMIT changed();
        }
        return;
    }
    const bool joins = !typingKey.isEmpty() && typingKey == m_typingKey && !m_undo.empty() && m_redo.empty();
    if (joins) {
        m_undo.back().after = next;
        m_undo.back().placeAfter = place;
    } else {
        m_undo.push_back({ config(), next, placeBefore, place });
        if (m_undo.size() > historyDepth)
            m_undo.erase(m_undo.begin());
    }
    m_redo.clear();
    m_typingKey = typingKey;
    restore(next, place);
}

void RingEditor::editSelected(const std::function<void(std::optional<Slice>&)>& edit, const QString& typingKey)
{
    const RingPage* page = ring();
    if (!page || !m_slot)
        return;
    QuickhaloConfig next = config();
    edit(next.rings[static_cast<std::size_t>(safeRing())].slices[static_cast<std::size_t>(*m_slot)]);
    commit(std::move(next), { m_ringIndex, m_slot }, typingKey);
}

void RingEditor::restore(const QuickhaloConfig& next, Place place)
{
    m_ringIndex = place.ring;
    m_slot = place.slot;
    m_isWriting = true;
    m_store.setConfig(next);
    m_isWriting = false;
    Q_EMIT changed();
}

QString RingEditor::keyFor(const char* field) const
{
    const RingPage* page = ring();
    return QStringLiteral("%1/%2/%3")
        .arg(QString::fromLatin1(field), page ? page->id.toString() : QString(), m_slot ? QString::number(*m_slot) : QString());
}

}
