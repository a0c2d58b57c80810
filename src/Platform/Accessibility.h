#pragma once

namespace Quickhalo {

// Whether this process may synthesise input, move other applications' windows and intercept
// input. Asking is cheap and never shows anything; prompting is a separate, explicit call.
class Accessibility {
public:
    virtual ~Accessibility() = default;
    virtual bool isTrusted() const = 0;
    // Shows the platform's own permission prompt where it has one, without waiting for the
    // user; answers the same as `isTrusted`.
    virtual bool promptForTrust() = 0;
};

}
