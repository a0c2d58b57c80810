#pragma once

#include <QDateTime>
#include <QString>

namespace Quickhalo::RelativeDate {

// "in 5 minutes", "2 hours ago", "tomorrow", "yesterday", "in 3 days", "in 2 weeks", "now": how
// far `moment` is from `now`, in the largest unit that fits.
QString describe(const QDateTime& moment, const QDateTime& now);

}
