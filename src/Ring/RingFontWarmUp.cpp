#include "Ring/RingFontWarmUp.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QThread>

#include "Ring/SymbolPainter.h"

namespace Quickhalo {

RingFontWarmUp::RingFontWarmUp()
    : m_thread(QThread::create([] {
        // The icon font is made once for the process; whoever asks first while this runs waits.
        SymbolFont::installed();
        QImage scratch(64, 32, QImage::Format_ARGB32_Premultiplied);
        scratch.fill(Qt::transparent);
        QPainter painter(&scratch);
        QFont font = painter.font();
        font.setWeight(QFont::DemiBold);
        painter.setFont(font);
        painter.drawText(QPointF(0, 24), QStringLiteral("Quickhalo 0123456789"));
    }))
{
    m_thread->start();
}

RingFontWarmUp::~RingFontWarmUp()
{
    wait();
}

void RingFontWarmUp::wait()
{
    m_thread->wait();
}

}
