#include "app/ApplicationFilter.h"

#include <QCoreApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>

#include "controls/KeyCodes.h"
#include "midi/MidiPorts.h"

ApplicationFilter::ApplicationFilter(QObject* parent) : QObject(parent) {}

void ApplicationFilter::install(MidiPorts& ports)
{
    QCoreApplication::instance()->installEventFilter(this);
    ports.SetInputHandler([this](int port, const std::vector<uint8_t>& m) { DispatchMidiInput(hooks, port, m); });
}

namespace {
// A dialog of the toolkit itself (file, folder, print, page set-up, input,
// colour and font dialogs, message boxes): its edit fields act on Enter and
// Escape as the toolkit defines, accepting or cancelling the dialog. The
// program's own dialogs are subclasses with names of their own, or plain
// QDialogs that the program fills.
bool inToolkitDialog(const QWidget* w)
{
    for (; w; w = w->parentWidget()) {
        const QMetaObject* meta = w->metaObject();
        if (w->inherits("QDialog") && meta != &QDialog::staticMetaObject && meta->className()[0] == 'Q')
            return true;
    }
    return false;
}

// The program's own single-line edit fields, where Enter commits and Escape
// restores the text of the field.
bool ownLineEdit(QObject* target)
{
    const auto* edit = qobject_cast<QLineEdit*>(target);
    return edit && !inToolkitDialog(edit);
}

int translatedKey(QObject* target, int key, const std::function<bool()>& pianoActive)
{
    const bool lineEdit = ownLineEdit(target);
    if (lineEdit && (key == Qt::Key_Return || key == Qt::Key_Enter))
        return KeyConfirm;
    if (lineEdit && key == Qt::Key_Escape)
        return KeyCancel;
    if (pianoActive && (key == Qt::Key_O || key == Qt::Key_P) && pianoActive())
        return key == Qt::Key_O ? KeyPianoDown : KeyPianoUp;
    return 0;
}
}

bool ApplicationFilter::eventFilter(QObject* target, QEvent* event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const int code = translatedKey(target, key->key(), pianoActive);
    if (code == 0)
        return false;
    // The translated key goes on to the same target as an ordinary key.
    QKeyEvent translated(event->type(), code, key->modifiers(), QString(), key->isAutoRepeat(), key->count());
    QCoreApplication::sendEvent(target, &translated);
    return true;
}
