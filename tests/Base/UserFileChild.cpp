#include "Base/Log.h"
#include "Base/Preferences.h"
#include "Base/UserFile.h"
#include "Config/ConfigStore.h"

#include <csignal>
#include <cstring>

#include <sys/resource.h>

#include <QCoreApplication>
#include <QTextStream>

// A process of its own for what a test cannot do to itself:
//   user_file_child write-limited LIMIT PATH SIZE   a write of SIZE bytes while files may not grow past LIMIT
//   user_file_child crash-at STEP PATH              a write killed at STEP (created, written, synced, linked, renamed)
//   user_file_child start-limited LIMIT FOLDER      the ring store's start in FOLDER under the same limit
namespace {

using namespace Quickhalo;

UserFile::WriteStep s_crashStep {};

// What a full disk does to a writer: writes past the limit fail with EFBIG instead of a signal.
void limitFileSize(const char* limit)
{
    std::signal(SIGXFSZ, SIG_IGN);
    const rlim_t bytes = std::strtoull(limit, nullptr, 10);
    const rlimit value { bytes, bytes };
    setrlimit(RLIMIT_FSIZE, &value);
}

}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const QStringList arguments = QCoreApplication::arguments();
    const QString mode = arguments.value(1);
    if (mode == QLatin1String("write-limited") && argc == 5) {
        limitFileSize(argv[2]);
        const auto error = UserFile::write(arguments[3], QByteArray(arguments[4].toInt(), 'n'));
        out << error.value_or(QString()) << Qt::endl;
        return error ? 1 : 0;
    }
    if (mode == QLatin1String("crash-at") && argc == 4) {
        const QStringList steps = QStringLiteral("created written synced linked renamed").split(QLatin1Char(' '));
        s_crashStep = static_cast<UserFile::WriteStep>(steps.indexOf(arguments[2]));
        UserFile::setFaultHook([](UserFile::WriteStep step) {
            if (step == s_crashStep)
                std::raise(SIGKILL);
        });
        UserFile::write(arguments[3], "new contents\n");
        return 0;
    }
    if (mode == QLatin1String("start-limited") && argc == 4) {
        limitFileSize(argv[2]);
        const QString folder = arguments[3];
        Preferences preferences(folder + QStringLiteral("/prefs.conf"));
        const ConfigStore store(folder, preferences, [] { return QuickhaloConfig {}; });
        out << store.config().rings.size() << Qt::endl;
        return 0;
    }
    return 2;
}
