// Takes the CLIPBOARD selection with the formats given on the command line and serves it until
// killed: another application copying something, as the clipboard history sees it.
//   clipboard_owner [--text TEXT | --text-file PATH] [FORMAT VALUE]...
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>

#include <cstdio>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    auto* offered = new QMimeData;
    if (arguments.size() >= 2 && arguments.first() == QLatin1String("--text")) {
        offered->setText(arguments.at(1));
        arguments = arguments.mid(2);
    } else if (arguments.size() >= 2 && arguments.first() == QLatin1String("--text-file")) {
        QFile file(arguments.at(1));
        if (!file.open(QIODevice::ReadOnly))
            return 2;
        offered->setText(QString::fromUtf8(file.readAll()));
        arguments = arguments.mid(2);
    }
    for (qsizetype i = 0; i + 1 < arguments.size(); i += 2)
        offered->setData(arguments.at(i), arguments.at(i + 1).toUtf8());
    QGuiApplication::clipboard()->setMimeData(offered, QClipboard::Clipboard);
    std::puts("owned");
    std::fflush(stdout);
    return QGuiApplication::exec();
}
