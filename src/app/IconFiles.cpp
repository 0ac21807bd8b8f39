// Writes the program's icon for the icon theme: PNG files in the usual
// hicolor sizes and the scalable SVG, below the folder given.
#include <QDir>
#include <QFile>
#include <cstdio>

#include "app/AppIcon.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]) + QStringLiteral("/hicolor");
    const QString file = QString::fromLatin1(AppIcon::Name);
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(root).arg(size);
        if (!QDir().mkpath(folder) || !AppIcon::Image(size).save(folder + QLatin1Char('/') + file + QStringLiteral(".png"))) {
            std::fprintf(stderr, "cannot write the %dx%d icon below %s\n", size, size, argv[1]);
            return 1;
        }
    }
    const QString scalable = root + QStringLiteral("/scalable/apps");
    QFile svg(scalable + QLatin1Char('/') + file + QStringLiteral(".svg"));
    if (!QDir().mkpath(scalable) || !svg.open(QIODevice::WriteOnly) || svg.write(AppIcon::Svg().toUtf8()) < 0) {
        std::fprintf(stderr, "cannot write the scalable icon below %s\n", argv[1]);
        return 1;
    }
    return 0;
}
