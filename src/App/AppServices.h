#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace Quickhalo {

class Accessibility;
class RingBackdrop;
class RingPanel;
class SettingsWindow;

// The real services of a running Quickhalo, made once after the application object exists.
// It installs the factories of the shared models, which are then made on first use, and ends
// those models in the reverse order of their installation, before the services they use go away.
class AppServices {
public:
    AppServices();
    ~AppServices();
    AppServices(const AppServices&) = delete;
    AppServices& operator=(const AppServices&) = delete;

    Accessibility& accessibility();
    // Rings the alarm whose systemd timer went off, as if it had rung here.
    void fireAlarm(const QString& id);
    std::unique_ptr<SettingsWindow> makeSettingsWindow();

private:
    struct Parts;

    // Installs Model's factory; `beforeEnding` runs just before the model is ended.
    template <typename Model> void own(typename Model::Factory factory, std::function<void()> beforeEnding = {})
    {
        Model::setSharedFactory(std::move(factory));
        m_endings.push_back([beforeEnding = std::move(beforeEnding)] {
            if (beforeEnding)
                beforeEnding();
            Model::releaseShared();
        });
    }

    std::unique_ptr<Parts> m_parts;
    std::vector<std::function<void()>> m_endings;
};

}
