#include "Platform/Xdg/GioApplicationLauncher.h"

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include <unistd.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QMetaObject>

namespace Quickhalo {

namespace {

QString takeMessage(GError* error)
{
    const QString message
        = error && error->message ? QString::fromUtf8(error->message) : QStringLiteral("unknown error");
    if (error)
        g_error_free(error);
    return message;
}

// GLib may answer from inside its own dispatch; the caller hears of it on a later turn.
void reportLater(const ApplicationLauncher::Failure& onFailure, const QString& reason)
{
    if (!onFailure)
        return;
    QMetaObject::invokeMethod(QCoreApplication::instance(), [onFailure, reason] { onFailure(reason); },
        Qt::QueuedConnection);
}

struct PendingOpen {
    ApplicationLauncher::Failure onFailure;
};

void openFinished(GObject*, GAsyncResult* result, gpointer data)
{
    auto* pending = static_cast<PendingOpen*>(data);
    GError* error = nullptr;
    if (!g_app_info_launch_default_for_uri_finish(result, &error))
        reportLater(pending->onFailure, takeMessage(error));
    delete pending;
}

void openDefault(const QByteArray& uri, ApplicationLauncher::Failure onFailure)
{
    g_app_info_launch_default_for_uri_async(
        uri.constData(), nullptr, nullptr, &openFinished, new PendingOpen { std::move(onFailure) });
}

}

void GioApplicationLauncher::launch(const QString& path, Failure onFailure)
{
    const QFileInfo file(path);
    if (file.isFile() && path.endsWith(QLatin1String(".desktop"))) {
        GDesktopAppInfo* entry = g_desktop_app_info_new_from_filename(QFile::encodeName(path).constData());
        if (!entry) {
            reportLater(onFailure, QStringLiteral("not a valid application entry"));
            return;
        }
        GError* error = nullptr;
        if (!g_app_info_launch(G_APP_INFO(entry), nullptr, nullptr, &error))
            reportLater(onFailure, takeMessage(error));
        g_object_unref(entry);
        return;
    }
    if (file.isFile() && file.isExecutable()) {
        const QByteArray program = QFile::encodeName(path);
        char* argv[] = { const_cast<char*>(program.constData()), nullptr };
        GError* error = nullptr;
        // Detached from Quickhalo's session and not reaped by hand: GLib reaps it.
        // Its own session: signals meant for Quickhalo's terminal or process group miss it.
        const GSpawnChildSetupFunc ownSession = [](gpointer) { ::setsid(); };
        if (!g_spawn_async(nullptr, argv, nullptr, G_SPAWN_DEFAULT, ownSession, nullptr, nullptr, &error))
            reportLater(onFailure, takeMessage(error));
        return;
    }
    openDefault(QUrl::fromLocalFile(file.absoluteFilePath()).toEncoded(), std::move(onFailure));
}

void GioApplicationLauncher::open(const QUrl& address, Failure onFailure)
{
    openDefault(address.toEncoded(), std::move(onFailure));
}

}
