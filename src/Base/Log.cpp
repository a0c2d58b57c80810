#include "Base/Log.h"

#include <cstdio>
#include <mutex>

namespace Quickhalo::Log {

namespace {
std::mutex s_mutex;
QStringList* s_captured = nullptr;
}

void write(const QString& message)
{
    const QString line = QStringLiteral("Quickhalo: ") + message;
    std::lock_guard lock(s_mutex);
    if (s_captured) {
        s_captured->append(line);
        return;
    }
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}

Capture::Capture()
{
    std::lock_guard lock(s_mutex);
    s_captured = new QStringList;
}

Capture::~Capture()
{
    std::lock_guard lock(s_mutex);
    delete s_captured;
    s_captured = nullptr;
}

QStringList Capture::lines() const
{
    std::lock_guard lock(s_mutex);
    return s_captured ? *s_captured : QStringList();
}

}
