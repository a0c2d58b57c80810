#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>

namespace Quickhalo {

// Finds the first non-empty line of a process's error output while the output arrives, keeping
// only that line: a process may write far more than is worth holding. Lines end at LF, VT, FF,
// CR, U+0085, U+2028 and U+2029. Output that is not valid UTF-8 anywhere counts as empty.
class ErrorLineReader {
public:
    // Longer first lines are cut here; a toast shows far less.
    static constexpr qsizetype maximumLineLength = 4096;

    void append(QByteArrayView bytes);
    // The first non-empty line of everything appended, or empty when there is none or the output
    // is not UTF-8. Call once, after the last append.
    QString finish();

    // The same for output that is already complete.
    static QString firstLine(QByteArrayView bytes);

private:
    QStringDecoder m_decoder { QStringDecoder::Utf8 };
    QString m_line;
    bool m_isLineComplete = false;
};

}
