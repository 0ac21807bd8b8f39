#include "shell/MessageService.h"

#include <QApplication>
#include <QFileDialog>
#include <QRegularExpression>

QMessageBox::StandardButton MessageService::message(QWidget* parent, Kind kind, const QString& title,
                                                    const QString& text, QMessageBox::StandardButtons buttons,
                                                    QMessageBox::StandardButton defaultButton)
{
    QMessageBox::Icon icon = QMessageBox::Information;
    switch (kind) {
    case Kind::Warning: icon = QMessageBox::Warning; break;
    case Kind::Error: icon = QMessageBox::Critical; break;
    case Kind::Question: icon = QMessageBox::Question; break;
    case Kind::Information: break;
    }
    QMessageBox box(icon, title.isEmpty() ? QApplication::applicationDisplayName() : title, text, buttons, parent);
    box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QString MessageService::openFileName(QWidget* parent, const QString& caption, const QString& dir,
                                     const QString& filter)
{
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

QString FilterExtension(const QString& filter)
{
    const int star = int(filter.indexOf(QStringLiteral("*.")));
    if (star < 0)
        return QString();
    QString extension = filter.mid(star + 2);
    const int end = int(extension.indexOf(QRegularExpression(QStringLiteral("[ );]"))));
    return end < 0 ? extension : extension.left(end);
}

QString MessageService::saveFileName(QWidget* parent, const QString& caption, const QString& dir,
                                     const QString& filter, QString* chosenFilter)
{
    QFileDialog dialog(parent, caption, dir, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(FilterExtension(dialog.selectedNameFilter()));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog](const QString& chosen) { dialog.setDefaultSuffix(FilterExtension(chosen)); });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    if (chosenFilter)
        *chosenFilter = dialog.selectedNameFilter();
    return dialog.selectedFiles().constFirst();
}

QString MessageService::existingDirectory(QWidget* parent, const QString& caption, const QString& dir)
{
    return QFileDialog::getExistingDirectory(parent, caption, dir);
}

void MessageService::error(QWidget* parent, const QString& text)
{
    message(parent, Kind::Error, QString(), text, QMessageBox::Ok, QMessageBox::Ok);
}

bool MessageService::confirm(QWidget* parent, const QString& text)
{
    return message(parent, Kind::Question, QString(), text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
        == QMessageBox::Yes;
}

namespace {
MessageService realService;
MessageService* current = &realService;
}

MessageService& Dialogs() { return *current; }
void SetDialogs(MessageService* s) { current = s ? s : &realService; }
