#include "Base/Preferences.h"
#include "Config/ConfigStore.h"
#include "LargeConfigs.h"
#include "support/MigrationsDone.h"

#include <QCoreApplication>
#include <QTextStream>

// Usage: save_loop_child FOLDER — assigns two large configurations in turns, forever.
int main(int argc, char** argv)
{
    using namespace Quickhalo;
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return 2;
    const QString folder = QString::fromLocal8Bit(argv[1]);
    Preferences preferences(folder + QStringLiteral("/prefs.conf"));
    // Migrations would add rings of their own; only the two values below may ever be written.
    Testing::migrated(preferences);
    const QuickhaloConfig a = Testing::largeConfig('a');
    const QuickhaloConfig b = Testing::largeConfig('b');
    ConfigStore store(folder, preferences, [&] { return a; });
    QTextStream out(stdout);
    for (;;) {
        store.setConfig(a);
        store.setConfig(b);
        out << "." << Qt::flush;
    }
}
