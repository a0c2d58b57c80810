#pragma once

#include <QString>

namespace Quickhalo {

// Shows a short text with a symbol name near the pointer for a moment (Tools/Toast).
class ToastPresenter {
public:
    virtual ~ToastPresenter() = default;
    virtual void show(const QString& text, const QString& symbol) = 0;
};

}
