#pragma once

#include <QMessageBox>
#include <QString>

#include "shell/Questions.h"

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

    // The save dialog of the librarian windows, opened at `start` (a folder,
    // or a folder and a proposed name) with the filters of `filter`
    // (separated by ";;"). A name typed without an extension gets the chosen
    // filter's; a file that exists under the final name is replaced only
    // when the user said so, in the dialog or here. `chosenFilter` receives
    // the filter chosen. Empty when cancelled.
    QString askSaveFile(QWidget* parent, const QString& title, const QString& start, const QString& filter,
                        QString* chosenFilter = nullptr);
};

// The logic's questions as message boxes of `messages` owned by `parent`.
class DialogQuestions : public Questions {
public:
    DialogQuestions(MessageService& messages, QWidget* parent) : messages(messages), parent(parent) {}

    bool okCancel(Tone tone, const QString& text) override;
    bool yesNo(const QString& text) override;
    void showError(const QString& text) override;

private:
    MessageService& messages;
    QWidget* parent;
};

// The extension, without its dot, that a filter such as
// "Sysex files (*.syx)" stands for; empty when it names none.
QString FilterExtension(const QString& filter);
