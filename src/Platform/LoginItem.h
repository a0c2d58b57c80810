#pragma once

#include <QString>

#include <optional>

namespace Quickhalo {

// Whether Quickhalo starts with the user's session.
class LoginItem {
public:
    virtual ~LoginItem() = default;
    // Read anew on each call: the desktop's own session settings may change it meanwhile.
    virtual bool isEnabled() const = 0;
    // Nothing on success; otherwise why it could not be done, in a sentence for the user.
    virtual std::optional<QString> setEnabled(bool enabled) = 0;
};

}
