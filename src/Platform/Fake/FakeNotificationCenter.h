#pragma once

#include <vector>

#include "Platform/NotificationCenter.h"

namespace Quickhalo {

class FakeNotificationCenter final : public NotificationCenter {
public:
    int authorizationRequests = 0;
    std::vector<NotificationContent> added;

    void requestAuthorization() override { ++authorizationRequests; }
    void add(const NotificationContent& content) override { added.push_back(content); }
    void setActionHandler(ActionHandler handler) override { onAction = std::move(handler); }

    ActionHandler onAction;
};

}
