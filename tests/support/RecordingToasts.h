#pragma once

#include <QString>
#include <QStringList>

#include "Base/ToastPresenter.h"

namespace Quickhalo::Testing {

// Keeps each toast as "text | symbol".
class RecordingToasts final : public ToastPresenter {
public:
    QStringList shown;
    void show(const QString& text, const QString& symbol) override
    {
        shown.append(text + QStringLiteral(" | ") + symbol);
    }
};

inline QString warning(const QString& text)
{
    return text + QStringLiteral(" | exclamationmark.triangle.fill");
}

}
