#pragma once

#include "Base/ToastPresenter.h"

namespace Quickhalo {

// Writes each toast to the log instead of showing it, until the toast window exists.
class LogToastPresenter final : public ToastPresenter {
public:
    void show(const QString& text, const QString& symbol) override;
};

}
