#include "files/IniFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
QString& overridePath()
{
    static QString path;
    return path;
}
}

QString IniFilePath()
{
    if (!overridePath().isEmpty())
        return overridePath();
    const QString program = QCoreApplication::applicationFilePath();
    const QFileInfo info(program);
    const QString beside = info.absolutePath() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".ini");
    if (!program.isEmpty() && QFileInfo(info.absolutePath()).isWritable())
        return beside;
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    QDir().mkpath(dir);
    return dir + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".ini");
}

void SetIniFilePath(const QString& path)
{
    overridePath() = path;
}

std::unique_ptr<QSettings> OpenIniFile()
{
    return std::make_unique<QSettings>(IniFilePath(), QSettings::IniFormat);
}
