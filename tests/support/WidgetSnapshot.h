#pragma once

#include <QComboBox>
#include <QCryptographicHash>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QWidget>
#include <functional>

#include "controls/CustomControl.h"
#include "controls/ImgButton.h"
#include "controls/ImgKnob.h"
#include "controls/ListControls.h"

// A window's controls as lines of text, one per child widget in creation
// order, which is also their tab order and their stacking order: the class,
// the object name, the place, whether it is hidden, the texts a user reads
// (caption, hint, status tip, accessible name), the help number, the
// parameter it is bound to, and for a knob the texts its conversion shows
// for a few values. Compared with the lines of a known good build, they show
// any control that moved, lost its caption or its help, or changed its
// binding or conversion.
namespace WidgetSnapshot {

inline QString shortHash(const QString& text)
{
    if (text.isEmpty())
        return QStringLiteral("-");
    return QString::fromLatin1(
        QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Md5).toHex().left(8));
}

inline QString conversionTexts(const TWC_CustomControl* control)
{
    if (!control->OnValToText)
        return QStringLiteral("-");
    QStringList texts;
    QLabel scratch;
    for (int v : {0, 1, 5, 15, 40, 64, 100, 127}) {
        scratch.setText(QStringLiteral("?"));
        control->OnValToText(&scratch, v);
        texts << scratch.text();
    }
    return texts.join(u',');
}

inline QString describe(const QWidget* w, int help)
{
    const QRect g = w->geometry();
    QStringList parts;
    parts << QString::fromLatin1(w->metaObject()->className()) + u' '
                 + (w->objectName().isEmpty() ? QStringLiteral("-") : w->objectName());
    parts << QStringLiteral("%1,%2 %3x%4").arg(g.x()).arg(g.y()).arg(g.width()).arg(g.height());
    if (w->isHidden())
        parts << QStringLiteral("hidden");
    if (w->focusPolicy() != Qt::NoFocus)
        parts << QStringLiteral("focus=%1").arg(static_cast<int>(w->focusPolicy()));
    if (!w->toolTip().isEmpty())
        parts << QStringLiteral("tip=") + w->toolTip();
    if (!w->statusTip().isEmpty())
        parts << QStringLiteral("status=") + w->statusTip();
    if (!w->accessibleName().isEmpty())
        parts << QStringLiteral("name=") + w->accessibleName();
    if (help != 0)
        parts << QStringLiteral("help=%1").arg(help);
    if (w->testAttribute(Qt::WA_SetCursor))
        parts << QStringLiteral("cursor=%1").arg(static_cast<int>(w->cursor().shape()));
    if (!w->styleSheet().isEmpty())
        parts << QStringLiteral("style=") + shortHash(w->styleSheet());
    if (w->testAttribute(Qt::WA_SetFont))
        parts << QStringLiteral("font=%1").arg(QFontInfo(w->font()).pixelSize());

    if (auto* label = qobject_cast<const QLabel*>(w)) {
        parts << QStringLiteral("text=") + label->text();
        parts << QStringLiteral("align=%1").arg(static_cast<int>(label->alignment()));
        if (label->wordWrap())
            parts << QStringLiteral("wrap");
    } else if (auto* edit = qobject_cast<const QLineEdit*>(w)) {
        parts << QStringLiteral("text=") + edit->text();
        parts << QStringLiteral("align=%1").arg(static_cast<int>(edit->alignment()));
        if (edit->isReadOnly())
            parts << QStringLiteral("readonly");
        if (!edit->isEnabled())
            parts << QStringLiteral("disabled");
    } else if (auto* button = qobject_cast<const QPushButton*>(w)) {
        parts << QStringLiteral("text=") + button->text();
    }
    if (auto* box = qobject_cast<const QComboBox*>(w)) {
        parts << QStringLiteral("items=%1 visible=%2 index=%3")
                     .arg(box->count())
                     .arg(box->maxVisibleItems())
                     .arg(box->currentIndex());
        QStringList items;
        for (int i = 0; i < box->count(); ++i)
            items << box->itemText(i);
        parts << QStringLiteral("texts=") + shortHash(items.join(u'\n'));
        if (box->isEditable())
            parts << QStringLiteral("editable");
    }
    if (auto* list = dynamic_cast<const ListBinding*>(w))
        parts << QStringLiteral("bind=%1/%2").arg(list->Modix()).arg(list->Mcix());
    if (auto* control = qobject_cast<const TWC_CustomControl*>(w)) {
        parts << QStringLiteral("bind=%1/%2").arg(control->Modix()).arg(control->Mcix());
        if (!control->isEnabled())
            parts << QStringLiteral("disabled");
        if (auto* knob = qobject_cast<const TWC_ImgKnob*>(w)) {
            parts << QStringLiteral("fine=%1 jump=%2 null=%3")
                         .arg(knob->FineEnabled)
                         .arg(knob->JumpEnabled)
                         .arg(knob->NullIsOff());
            parts << QStringLiteral("label=") + (knob->ValLabel() ? knob->ValLabel()->objectName() : QString())
                         + QStringLiteral("@%1,%2").arg(knob->ValLabel() ? knob->ValLabel()->x() : -1).arg(
                             knob->ValLabel() ? knob->ValLabel()->y() : -1);
            parts << QStringLiteral("conv=") + conversionTexts(control);
        } else if (auto* b = qobject_cast<const TWC_ImgButton*>(w)) {
            parts << QStringLiteral("push=%1 radio=%2 down=%3").arg(b->IsPushButton()).arg(b->IsRadioButton()).arg(
                b->Down());
        }
    }
    return parts.join(QStringLiteral(" | "));
}

// The lines of every direct child of `window`; `help` gives a control's
// help number.
inline QStringList describeChildren(const QWidget* window, const std::function<int(const QWidget*)>& help)
{
    QStringList lines;
    for (const QObject* child : window->children())
        if (auto* w = qobject_cast<const QWidget*>(child))
            lines << describe(w, help(w));
    return lines;
}

} // namespace WidgetSnapshot
