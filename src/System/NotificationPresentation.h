#pragma once

#include "Platform/NotificationCenter.h"

namespace Quickhalo {

// Told when one of Quickhalo's notifications is being shown while Quickhalo runs, so that the
// running application can add to it (an alarm's sound and toast). The alarm scheduler calls it
// for every alarm that goes off while Quickhalo runs, whoever shows the banner.
class NotificationPresentation {
public:
    virtual ~NotificationPresentation() = default;
    // Callable from any thread; returns at once. What it adds happens on the main thread.
    virtual void willPresent(const NotificationContent& content) = 0;
};

}
