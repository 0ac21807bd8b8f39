#include "shell/HelpPage.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>

#include "model/Trace.h"

namespace {

QString pagePath(const QString& name)
{
    return HelpPagePath(QCoreApplication::applicationDirPath(), name);
}

// A page that windows address beside the program is opened where it lies.
QUrl whereThePageLies(QUrl url)
{
    const QFileInfo file(url.path());
    if (url.isLocalFile() && !file.exists() && file.absolutePath() == QCoreApplication::applicationDirPath())
        url.setPath(pagePath(file.fileName()));
    return url;
}

} // namespace

void HelpOpener::show(const QUrl& url)
{
    // Without the page a browser would only show an error of its own.
    const QString file = url.path();
    if (!QFileInfo::exists(file)) {
        TraceLine(0, "  Help page %s not found", qPrintable(file));
        return;
    }
    if (!QDesktopServices::openUrl(url))
        TraceLine(0, "  No program opens %s", qPrintable(url.toString()));
}


QString HelpPagePath(const QString& programFolder, const QString& name)
{
    const QString beside = programFolder + QLatin1Char('/') + name;
    if (QFileInfo::exists(beside))
        return beside;
    const QString installed = QDir::cleanPath(programFolder + QStringLiteral("/" DRUX_SHARE_FROM_BIN "/") + name);
    return QFileInfo::exists(installed) ? installed : beside;
}

QUrl HelpUrl(const QString& anchor)
{
    QUrl url;
    url.setScheme(QStringLiteral("file"));
    url.setHost(QStringLiteral("localhost"));
    url.setPath(pagePath(QLatin1String(HelpFileName)));
    if (anchor.startsWith(QLatin1Char('#')) && anchor.size() > 1)
        url.setFragment(anchor.mid(1));
    return url;
}

void HelpOpener::open(const QString& anchor)
{
    openUrl(HelpUrl(anchor));
}

void HelpOpener::openUrl(const QUrl& url)
{
    show(whereThePageLies(url));
}
