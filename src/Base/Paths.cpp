#include "Base/Paths.h"

#include <QDir>
#include <QStandardPaths>

namespace Quickhalo::Paths {

namespace {
QString xdgFolder(const char* variable, const QString& fallbackUnderHome)
{
    // Relative values are invalid per the XDG base directory rules and are ignored.
    const QString value = qEnvironmentVariable(variable);
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return QDir::cleanPath(value);
    return QDir::homePath() + QLatin1Char('/') + fallbackUnderHome;
}
}

QString supportDirectory()
{
    return xdgFolder("XDG_DATA_HOME", QStringLiteral(".local/share")) + QStringLiteral("/Quickhalo");
}

QString configDirectory()
{
    return xdgFolder("XDG_CONFIG_HOME", QStringLiteral(".config")) + QStringLiteral("/Quickhalo");
}

}
