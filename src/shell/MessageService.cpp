#include "shell/MessageService.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
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

QString MessageService::askSaveFile(QWidget* parent, const QString& title, const QString& start,
                                    const QString& filter, QString* chosenFilter)
{
    QString chosen;
    QString name = saveFileName(parent, title, start, filter, &chosen);
    if (name.isEmpty())
        return QString();
    if (chosen.isEmpty())
        chosen = filter.section(QStringLiteral(";;"), 0, 0);
    if (chosenFilter)
        *chosenFilter = chosen;
    const QString extension = FilterExtension(chosen);
    if (!QFileInfo(name).suffix().isEmpty() || extension.isEmpty())
        return name;
    // A dialog that did not add the extension itself has not asked about
    // the file that the name with it stands for.
    name += QLatin1Char('.') + extension;
    const QFileInfo file(name);
    if (file.exists()
        && message(parent, Kind::Warning, title,
                   QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(file.fileName()),
                   QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
               != QMessageBox::Yes)
        return QString();
    return name;
}

bool DialogQuestions::okCancel(Tone tone, const QString& text)
{
    const MessageService::Kind kind =
        tone == Tone::Warning ? MessageService::Kind::Warning : MessageService::Kind::Question;
    return messages.message(parent, kind, QString(), text, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok)
        == QMessageBox::Ok;
}

bool DialogQuestions::yesNo(const QString& text)
{
    return messages.confirm(parent, text);
}

void DialogQuestions::showError(const QString& text)
{
    messages.error(parent, text);
}
