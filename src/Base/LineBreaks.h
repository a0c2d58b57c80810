#pragma once

#include <QChar>

namespace Quickhalo::LineBreaks {

// Every character that ends a line in Unicode text: LF, VT, FF, CR, NEL, LS and PS.
inline bool isLineBreak(QChar character)
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
