#include "Settings/SliceEditor.h"

#include "Ring/SymbolPainter.h"
#include "Ring/SymbolTable.h"
#include "Settings/RingEditor.h"
#include "Tools/ToolRegistry.h"

#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace Quickhalo {

namespace {

const QString unknownSymbol = QStringLiteral("questionmark.square.dashed");

QString payloadLabelFor(KindType type)
{
    switch (type) {
    case KindType::app: return QStringLiteral("App &path");
    case KindType::website: return QStringLiteral("&URL");
    case KindType::shortcut: return QStringLiteral("Shortcut na&me");
    case KindType::shell: return QStringLiteral("&Command");
    case KindType::builtin:
    case KindType::snap: return {};
    }
    return {};
}

QString placeholderFor(KindType type)
{
    switch (type) {
    case KindType::app: return QStringLiteral("/usr/share/applications/firefox-esr.desktop");
    case KindType::website: return QStringLiteral("https://example.org");
    case KindType::shortcut: return QStringLiteral("a program in ~/.config/Quickhalo/shortcuts");
    case KindType::shell: return QStringLiteral("notify-send hello");
    case KindType::builtin:
    case KindType::snap: return {};
    }
    return {};
}

}

SliceEditor::SliceEditor(RingEditor& editor, QWidget* parent)
    : QWidget(parent)
    , m_editor(editor)
{
    m_heading = new QLabel(this);
    QFont headingFont = m_heading->font();
    headingFont.setBold(true);
    headingFont.setPointSizeF(headingFont.pointSizeF() * 1.15);
    m_heading->setFont(headingFont);

    m_pages = new QStackedWidget(this);

    m_emptyPage = new QWidget(m_pages);
    auto* emptyLayout = new QVBoxLayout(m_emptyPage);
    emptyLayout->setContentsMargins(0, 0, 0, 0);
    emptyLayout->addWidget(new QLabel(QStringLiteral("This slot is empty."), m_emptyPage));
    m_addAction = new QPushButton(QStringLiteral("&Add action"), m_emptyPage);
    emptyLayout->addWidget(m_addAction, 0, Qt::AlignLeft);
    emptyLayout->addStretch();
    connect(m_addAction, &QPushButton::clicked, &m_editor, &RingEditor::addAction);

    m_formPage = new QWidget(m_pages);
    m_form = new QFormLayout(m_formPage);
    m_form->setContentsMargins(0, 0, 0, 0);
    m_form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);

    m_type = new QComboBox(m_formPage);
    for (const KindType type : KindTypes::all())
        m_type->addItem(KindTypes::label(type));
    connect(m_type, &QComboBox::activated, this,
        [this](int index) { m_editor.setType(KindTypes::all().at(static_cast<std::size_t>(index))); });
    m_form->addRow(QStringLiteral("&Type"), m_type);

    m_tool = new QComboBox(m_formPage);
    m_tool->setMaxVisibleItems(16);
    for (const ToolEntry& tool : ToolRegistry::all())
        m_tool->addItem(tool.title(), static_cast<int>(tool.tool));
    connect(m_tool, &QComboBox::activated, this, [this](int index) {
        m_editor.chooseTool(static_cast<BuiltinTool>(m_tool->itemData(index).toInt()));
    });
    m_form->addRow(QStringLiteral("T&ool"), m_tool);

    m_position = new QComboBox(m_formPage);
    for (const WindowPosition position : WindowPositions::all())
        m_position->addItem(WindowPositions::title(position), static_cast<int>(position));
    connect(m_position, &QComboBox::activated, this, [this](int index) {
        m_editor.choosePosition(static_cast<WindowPosition>(m_position->itemData(index).toInt()));
    });
    m_form->addRow(QStringLiteral("&Position"), m_position);

    m_payloadRow = new QWidget(m_formPage);
    auto* payloadLayout = new QHBoxLayout(m_payloadRow);
    payloadLayout->setContentsMargins(0, 0, 0, 0);
    m_payload = new QLineEdit(m_payloadRow);
    m_payload->setClearButtonEnabled(true);
    m_choose = new QPushButton(QStringLiteral("C&hoose…"), m_payloadRow);
    payloadLayout->addWidget(m_payload, 1);
    payloadLayout->addWidget(m_choose);
    m_payloadLabel = new QLabel(m_formPage);
    m_payloadLabel->setBuddy(m_payload);
    m_form->addRow(m_payloadLabel, m_payloadRow);
    connect(m_payload, &QLineEdit::textEdited, &m_editor, &RingEditor::setPayload);
    connect(m_payload, &QLineEdit::editingFinished, &m_editor, &RingEditor::endTyping);
    connect(m_choose, &QPushButton::clicked, this, &SliceEditor::chooseApplicationRequested);

    m_title = new QLineEdit(m_formPage);
    connect(m_title, &QLineEdit::textEdited, &m_editor, &RingEditor::setTitle);
    connect(m_title, &QLineEdit::editingFinished, &m_editor, &RingEditor::endTyping);
    m_form->addRow(QStringLiteral("T&itle"), m_title);

    auto* symbolRow = new QWidget(m_formPage);
    auto* symbolLayout = new QHBoxLayout(symbolRow);
    symbolLayout->setContentsMargins(0, 0, 0, 0);
    m_symbol = new QLineEdit(symbolRow);
    m_symbolPreview = new QLabel(symbolRow);
    m_symbolPreview->setFixedSize(32, 32);
    m_symbolPreview->setAlignment(Qt::AlignCenter);
    symbolLayout->addWidget(m_symbol, 1);
    symbolLayout->addWidget(m_symbolPreview);
    auto* symbolLabel = new QLabel(QStringLiteral("Icon n&ame"), m_formPage);
    symbolLabel->setBuddy(m_symbol);
    m_form->addRow(symbolLabel, symbolRow);
    connect(m_symbol, &QLineEdit::textEdited, &m_editor, &RingEditor::setSymbol);
    connect(m_symbol, &QLineEdit::editingFinished, &m_editor, &RingEditor::endTyping);

    m_clear = new QPushButton(QStringLiteral("C&lear slot"), m_formPage);
    m_clear->setToolTip(QStringLiteral("Empties this slot"));
    connect(m_clear, &QPushButton::clicked, &m_editor, &RingEditor::clearSlot);
    m_clear->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_form->addRow(QString(), m_clear);

    m_pages->addWidget(m_emptyPage);
    m_pages->addWidget(m_formPage);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_heading);
    layout->addWidget(m_pages);
    layout->addStretch();

    setTabOrder(m_type, m_tool);
    setTabOrder(m_tool, m_position);
    setTabOrder(m_position, m_payload);
    setTabOrder(m_payload, m_choose);
    setTabOrder(m_choose, m_title);
    setTabOrder(m_title, m_symbol);
    setTabOrder(m_symbol, m_clear);
    drawIcons();
}

void SliceEditor::drawIcons()
{
    const QColor text = palette().color(QPalette::Text);
    for (int i = 0; i < m_tool->count(); ++i)
        m_tool->setItemIcon(i, SymbolPainter::icon(BuiltinTools::symbol(static_cast<BuiltinTool>(m_tool->itemData(i).toInt())), text));
    for (int i = 0; i < m_position->count(); ++i) {
        m_position->setItemIcon(
            i, SymbolPainter::icon(WindowPositions::symbol(static_cast<WindowPosition>(m_position->itemData(i).toInt())), text));
    }
    showSymbolPreview(m_shownSymbol);
}

void SliceEditor::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange)
        drawIcons();
    QWidget::changeEvent(event);
}

void SliceEditor::showSlice(int slot, const std::optional<Slice>& slice)
{
    m_heading->setText(QStringLiteral("Slot %1").arg(slot + 1));
    if (!slice) {
        m_pages->setCurrentWidget(m_emptyPage);
        return;
    }
    m_pages->setCurrentWidget(m_formPage);

    const KindType type = KindTypes::of(slice->kind);
    m_type->setCurrentIndex(static_cast<int>(type));
    m_form->setRowVisible(m_tool, type == KindType::builtin);
    m_form->setRowVisible(m_position, type == KindType::snap);
    const QString label = payloadLabelFor(type);
    m_form->setRowVisible(m_payloadRow, !label.isEmpty());
    if (!label.isEmpty()) {
        m_payloadLabel->setText(label);
        m_payload->setPlaceholderText(placeholderFor(type));
        m_payload->setAccessibleName(QString(label).remove(u'&'));
        m_choose->setVisible(type == KindType::app);
        setTextKeepingCursor(*m_payload, RingEditor::payloadText(slice->kind).value_or(QString()));
    }
    if (const auto* builtin = std::get_if<Actions::Builtin>(&slice->kind))
        m_tool->setCurrentIndex(m_tool->findData(static_cast<int>(builtin->tool)));
    if (const auto* snap = std::get_if<Actions::Snap>(&slice->kind))
        m_position->setCurrentIndex(m_position->findData(static_cast<int>(snap->position)));

    setTextKeepingCursor(*m_title, slice->title);
    setTextKeepingCursor(*m_symbol, slice->symbol);
    showSymbolPreview(slice->symbol);
}

QString SliceEditor::payloadLabel() const
{
    return isShowingForm() && m_form->isRowVisible(m_payloadRow) ? m_payloadLabel->text().remove(u'&') : QString();
}

bool SliceEditor::isShowingForm() const
{
    return m_pages->currentWidget() == m_formPage;
}

void SliceEditor::showSymbolPreview(const QString& symbol)
{
    m_shownSymbol = symbol;
    const bool known = SymbolTable::isKnown(symbol);
    const QColor colour = palette().color(known ? QPalette::Text : QPalette::PlaceholderText);
    m_symbolPreview->setPixmap(SymbolPainter::pixmap(known ? symbol : unknownSymbol, 20, colour, devicePixelRatioF()));
    m_symbolPreview->setToolTip(known ? symbol : QStringLiteral("Unknown symbol name"));
    m_symbolPreview->setAccessibleName(known ? symbol : QStringLiteral("Unknown symbol name"));
    m_symbolPreview->setProperty("isKnownSymbol", known);
}

void SliceEditor::setTextKeepingCursor(QLineEdit& field, const QString& text)
{
    if (field.text() != text)
        field.setText(text);
}

}
