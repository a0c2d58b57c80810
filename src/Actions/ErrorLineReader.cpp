#include "Actions/ErrorLineReader.h"

namespace Quickhalo {

namespace {
bool isLineBreak(QChar character)
{
    switch (character.unicode()) {
    case 0x000A:
    case 0x000B:
    case 0x000C:
    case 0x000D:
    case 0x0085:
    case 0x2028:
    case 0x2029:
        return true;
    default:
        return false;
    }
}
}

void ErrorLineReader::append(QByteArrayView bytes)
{
    if (m_decoder.hasError())
        return;
    // Decoding goes on after the line is found: bad bytes anywhere void the whole output.
    const QString text = m_decoder.decode(bytes);
    if (m_decoder.hasError() || m_isLineComplete)
        return;
    for (const QChar character : text) {
        if (isLineBreak(character)) {
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
