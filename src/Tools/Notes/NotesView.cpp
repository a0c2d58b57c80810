#include "Tools/Notes/NotesView.h"

#include "Tools/Notes/NotesDocument.h"
#include "Tools/ToolText.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace Quickhalo {

NotesView::NotesView(const QString& path, Clock& clock, QWidget* parent)
    : QWidget(parent)
    , m_document(std::make_unique<NotesDocument>(path, clock))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(4);
    m_editor = new QPlainTextEdit;
    m_editor->setFrameShape(QFrame::NoFrame);
    m_editor->viewport()->setAutoFillBackground(false);
    m_editor->setPlaceholderText(QStringLiteral("Notes"));
    m_editor->setAccessibleName(QStringLiteral("Notes"));
    // Editable once the file is read, so nothing typed can be overwritten by it.
    m_editor->setReadOnly(true);
    layout->addWidget(m_editor, 1);
    m_status = ToolText::caption(QString());
    m_status->setWordWrap(true);
    m_status->hide();
    layout->addWidget(m_status);
    setFocusProxy(m_editor);

    connect(m_document.get(), &NotesDocument::loaded, this, [this](const QString& text) {
        const int cursorAt = m_editor->textCursor().position();
        m_filling = true;
        m_editor->setPlainText(text);
        m_filling = false;
        QTextCursor cursor = m_editor->textCursor();
        cursor.setPosition(std::min(cursorAt, static_cast<int>(text.size())));
        m_editor->setTextCursor(cursor);
        m_editor->setReadOnly(false);
        showStatus();
    });
    connect(m_editor, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_filling)
            m_document->edit(m_editor->toPlainText());
    });
    connect(m_document.get(), &NotesDocument::saveProblemChanged, this, &NotesView::showStatus);
    connect(m_document.get(), &NotesDocument::conflictKeptAside, this, &NotesView::showStatus);
    // Quitting with the panel open is a close too.
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, [this] {
        m_document->close();
        m_document->waitForIdle();
    });
}

NotesView::~NotesView()
{
    m_document->close();
}

void NotesView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_editor->setFocus();
}

void NotesView::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    m_document->close();
}

void NotesView::showStatus()
{
    QString line;
    if (!m_document->saveProblem().isEmpty())
        line = QStringLiteral("Your notes could not be saved: %1. Saving again with your next change.")
                   .arg(m_document->saveProblem());
    else if (!m_document->lastConflictCopy().isEmpty())
        line = QStringLiteral("Another program changed %1 while you typed; its version was kept as %2.")
                   .arg(NotesDocument::fileName, QFileInfo(m_document->lastConflictCopy()).fileName());
    else if (m_document->startedFromUnreadableFile())
        line = ToolText::keptAsideText(NotesDocument::fileName);
    m_status->setText(line);
    m_status->setVisible(!line.isEmpty());
}

}
