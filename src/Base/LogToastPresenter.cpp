#include "Base/LogToastPresenter.h"

#include "Base/Log.h"

namespace Quickhalo {

void LogToastPresenter::show(const QString& text, const QString& symbol)
{
    Q_UNUSED(symbol)
    Log::write(text);
}

}
