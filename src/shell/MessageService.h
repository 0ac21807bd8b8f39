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
    // `filter` may hold several filters separated by ";;". The dialog adds
    // the extension of the chosen filter to a name typed without one before
    // it checks for an existing file, so that it asks before replacing it;
    // `chosenFilter`, when given, receives the filter the user chose.
    virtual QString saveFileName(QWidget* parent, const QString& caption, const QString& dir, const QString& filter,
                                 QString* chosenFilter = nullptr);
    virtual QString existingDirectory(QWidget* parent, const QString& caption, const QString& dir);

    // Shortcuts for the common boxes.
    void error(QWidget* parent, const QString& text);
    bool confirm(QWidget* parent, const QString& text);
};

// The extension, without its dot, that a filter such as
// "Sysex files (*.syx)" stands for; empty when it names none.
QString FilterExtension(const QString& filter);

MessageService& Dialogs();
// Installs another service (tests); null restores the real one.
void SetDialogs(MessageService* service);
