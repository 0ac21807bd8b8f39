#include <QStringList>

#include "settings/SettingsTexts.h"

QStringList ConfigurationHelpAnchors()
{
    QStringList anchors;
    for (int number = -1; number <= 300; ++number)
        anchors << ConnectHelpAnchor(number);
    return anchors;
}
