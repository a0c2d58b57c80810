#pragma once

#include <memory>

namespace Quickhalo {

class Accessibility;
class RingBackdrop;
class RingPanel;

// The real services of a running Quickhalo, made once after the application object exists.
// It installs the factories of the shared models, which are then made on first use, and ends
// those models before the services they use go away.
class AppServices {
public:
    AppServices();
    ~AppServices();
    AppServices(const AppServices&) = delete;
    AppServices& operator=(const AppServices&) = delete;

    Accessibility& accessibility();

private:
    struct Parts;
    std::unique_ptr<Parts> m_parts;
};

}
