#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

// Every message box and file dialog of the program goes through here, so
// that tests can answer them.
class MessageService {
public:
    enum class Kind { Information, Warning, Error, Question };

    virtual ~MessageService() = default;
    virtual QMessageBox::StandardButton message(QWidget* parent, Kind kind, const QString& title, const QString& text,
                                                QMessageBox::StandardButtons buttons,
                                                QMessageBox::StandardButton defaultButton);
    virtual QString openFileName(QWidget* parent, const QString& caption, const QString& dir, const QString& filter);
    virtual QString saveFileName(QWidget* parent, const QString& caption, const QString& dir, const QString& filter);
    virtual QString existingDirectory(QWidget* parent, const QString& caption, const QString& dir);

    // Shortcuts for the common boxes.
    void error(QWidget* parent, const QString& text);
    bool confirm(QWidget* parent, const QString& text);
};

MessageService& Dialogs();
// Installs another service (tests); null restores the real one.
void SetDialogs(MessageService* service);
