#include "Actions/ErrorLineReader.h"

#include "Base/LineBreaks.h"

namespace Quickhalo {

void ErrorLineReader::append(QByteArrayView bytes)
{
    if (m_decoder.hasError())
        return;
    // Decoding goes on after the line is found: bad bytes anywhere void the whole output.
    const QString text = m_decoder.decode(bytes);
    if (m_decoder.hasError() || m_isLineComplete)
        return;
    for (const QChar character : text) {
        if (LineBreaks::isLineBreak(character)) {
            if (!m_line.isEmpty()) {
                m_isLineComplete = true;
                return;
            }
            continue;
        }
        m_line.append(character);
        if (m_line.size() == maximumLineLength) {
            if (m_line.back().isHighSurrogate())
                m_line.chop(1);
            m_isLineComplete = true;
            return;
        }
    }
}

QString ErrorLineReader::finish()
{
    // The decoder holds back a sequence cut off at the end; a line feed after it makes that an
    // error, and cannot change the first line otherwise.
    append("\n");
    return m_decoder.hasError() ? QString() : m_line;
}

QString ErrorLineReader::firstLine(QByteArrayView bytes)
{
    ErrorLineReader reader;
    reader.append(bytes);
    return reader.finish();
}

}
