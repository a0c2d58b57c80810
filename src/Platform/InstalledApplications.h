#pragma once

#include <QString>

#include <optional>
#include <vector>

namespace Quickhalo {

// An application the desktop offers in its menus.
struct InstalledApplication {
    QString path; // its desktop entry
    QString name;
    QString iconName; // a theme icon name or an absolute file; may be empty
    bool operator==(const InstalledApplication&) const = default;
};

// The applications of the desktop's menus. Listing reads many small files: call it off the main
// thread.
class InstalledApplications {
public:
    virtual ~InstalledApplications() = default;
    // Sorted by name, ignoring case.
    virtual std::vector<InstalledApplication> list() const = 0;
    // The application a desktop entry file describes; nothing for other files.
    virtual std::optional<InstalledApplication> describe(const QString& path) const = 0;
};

}
