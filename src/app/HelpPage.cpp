#include "app/HelpPage.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>

#include "model/Trace.h"

namespace {

void openWithDesktop(const QUrl& url)
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

HelpUrlOpener& opener()
{
    static HelpUrlOpener current;
    return current;
}

} // namespace

QUrl HelpUrl(const QString& anchor)
{
    QUrl url;
    url.setScheme(QStringLiteral("file"));
    url.setHost(QStringLiteral("localhost"));
    url.setPath(QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(HelpFileName));
    if (anchor.startsWith(QLatin1Char('#')) && anchor.size() > 1)
        url.setFragment(anchor.mid(1));
    return url;
}

void OpenHelp(const QString& anchor)
{
    OpenHelpUrl(HelpUrl(anchor));
}

void OpenHelpUrl(const QUrl& url)
{
    if (opener())
        opener()(url);
    else
        openWithDesktop(url);
}

void SetHelpUrlOpener(HelpUrlOpener replacement)
{
    opener() = std::move(replacement);
}
