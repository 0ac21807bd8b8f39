#include "app/ApplicationFilter.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include "app/KeyCodes.h"
#include "midi/MidiPorts.h"

ApplicationFilter::ApplicationFilter(QObject* parent) : QObject(parent) {}

void ApplicationFilter::install(MidiPorts& ports)
{
    QCoreApplication::instance()->installEventFilter(this);
    ports.SetInputHandler([this](int port, const std::vector<uint8_t>& m) { DispatchMidiInput(hooks, port, m); });
}

namespace {
int translatedKey(QObject* target, int key, const std::function<bool()>& pianoActive)
{
    const bool lineEdit = qobject_cast<QLineEdit*>(target) != nullptr;
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
