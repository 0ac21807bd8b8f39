#pragma once

#include <QStringList>

#include "shell/MessageService.h"

// Answers every message box at once and remembers its text.
struct AnsweringDialogs : MessageService {
    QStringList texts;
    QMessageBox::StandardButton answer = QMessageBox::Ok;

    AnsweringDialogs() { SetDialogs(this); }
    ~AnsweringDialogs() override { SetDialogs(nullptr); }

    QMessageBox::StandardButton message(QWidget*, Kind, const QString&, const QString& text,
                                        QMessageBox::StandardButtons, QMessageBox::StandardButton) override
    {
        texts << text;
        return answer;
    }
};
