#pragma once

#include <QStringList>
#include <QUrl>
#include <vector>

#include "files/Preferences.h"
#include "shell/HelpPage.h"
#include "shell/MessageService.h"
#include "shell/WindowServices.h"

// Answers every message box at once and remembers its text. Tests hand it
// to the windows they build, with the help opener below.
struct AnsweringDialogs : MessageService {
    QStringList texts;
    QMessageBox::StandardButton answer = QMessageBox::Ok;

    QMessageBox::StandardButton message(QWidget*, Kind, const QString&, const QString& text,
                                        QMessageBox::StandardButtons, QMessageBox::StandardButton) override
    {
        texts << text;
        return answer;
    }
};

// Remembers the help pages the windows open instead of starting a browser.
struct CapturingHelp : HelpOpener {
    std::vector<QUrl> opened;
    void show(const QUrl& url) override { opened.push_back(url); }
};

// The services a window under test is handed: `dialogs`, `help` and the
// preferences as the files layer holds them.
inline WindowServices TestServices(MessageService& dialogs, HelpOpener& help)
{
    return WindowServices{dialogs, help, CurrentPreferences, PreferenceSets};
}
