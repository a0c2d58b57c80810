#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <list>

#include "Base/SharedInstance.h"
#include "Platform/FrontmostApplication.h"

namespace Quickhalo {

class Accessibility;
class Clock;
class PasteInput;
class Preferences;
class RepeatingTimer;
class ToastPresenter;

// Delivers a result that is already on the clipboard: pastes it into the application that was in
// front when the ring opened, or only confirms the copy when pasting is off or not possible.
class Paster : public Shared<Paster> {
public:
    static constexpr double keystrokeDelay = 0.15;

    struct Services {
        Preferences& preferences;
        Accessibility& accessibility;
        PasteInput& input;
        ToastPresenter& toasts;
        Clock& clock;
    };

    explicit Paster(Services services);
    ~Paster();
    Paster(const Paster&) = delete;
    Paster& operator=(const Paster&) = delete;


    bool autoPasteEnabled() const;
    // Main thread. Pastes into `target`, the application in front when the ring opened;
    // `copiedToast` is shown when no paste happens.
    void pasteOrToast(const QString& copiedToast, const std::optional<TargetApplication>& target);
    // Whether this run has already asked for the permission from the paste path.
    bool hasPrompted() const { return m_prompted; }

    // Terminal emulators take Ctrl+Shift+V; they are told apart by their window class.
    static bool isTerminal(const QString& windowClass);

private:
    void paste(const TargetApplication& target);

    Services m_services;
    bool m_prompted = false;
    struct PendingPaste {
        std::unique_ptr<RepeatingTimer> timer;
        bool isDone = false;
    };
    std::list<PendingPaste> m_pending;
};

}
