#pragma once

#include <QPoint>
#include <QRect>
#include <span>
#include <string_view>
#include <variant>

#include "editor/ValueConversions.h"

class QLabel;
class TWC_ComboBox;
class TWC_ImgButton;
class TWC_ImgKnob;

// The rows of an editor panel's table: the sections and captions printed on
// the panel and the controls placed on it, in the order they are built,
// which is also the order the user tabs through them. A window declares its
// panel as one table of these rows; TEditorFormBase::buildControls walks it.

// Where a row's widget is kept in the window: `in<&Form::member>` for a
// member, `at<&Form::array, i>` for one element of a member array.
template <class Form, class T>
using Slot = T*& (*)(Form&);

template <class>
struct SlotOf;
template <class Form, class T>
struct SlotOf<T Form::*> {
    using Window = Form;
    using Value = T;
};

template <auto Member>
typename SlotOf<decltype(Member)>::Value& in(typename SlotOf<decltype(Member)>::Window& window)
{
    return window.*Member;
}

template <auto Array, size_t Index>
typename SlotOf<decltype(Array)>::Value::value_type& at(typename SlotOf<decltype(Array)>::Window& window)
{
    return (window.*Array)[Index];
}

// A framed area of the panel; an empty title draws a plain frame.
struct PanelSectionRow {
    QRect area;
    const char* title;
};

// A text printed on the panel.
struct PanelTextRow {
    QRect area;
    const char* text;
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter;
};

// The badge with the program's name; no subtitle keeps the panel's own.
struct PanelBadgeRow {
    QRect area;
    const char* subtitle = nullptr;
};

// The parameter of a control that the window handles itself.
inline constexpr int Unbound = -1;

enum class KnobLook { Black, Metal };

enum class SwitchKind { Toggle, Push, Radio };

enum KnobOption : unsigned {
    NoKnobOption = 0,
    // Shift turns it in fine steps.
    FineSteps = 1,
    // Its 0 means off: no dot is drawn there.
    OffAtZero = 2,
    // A value label narrower than the window's, for knobs set close.
    NarrowValue = 4,
};

// The size of a switch picture, for captions placed beside or below it.
inline constexpr QSize SwitchSize(46, 28);

// Where a switch's printed caption goes, relative to the switch.
struct SwitchCaption {
    QRect area;
    Qt::Alignment align;
};

// A caption printed right of a switch, `width` wide.
constexpr SwitchCaption CaptionRight(int width)
{
    return {QRect(50, 0, width, SwitchSize.height()), Qt::AlignLeft | Qt::AlignVCenter};
}

// A caption printed below a switch, reaching `overhang` beyond each side.
constexpr SwitchCaption CaptionBelow(int overhang)
{
    return {QRect(-overhang, SwitchSize.height() + 2, SwitchSize.width() + 2 * overhang, 12), Qt::AlignCenter};
}

template <class Form>
struct PanelRows {
    using Section = PanelSectionRow;
    using Text = PanelTextRow;
    using Badge = PanelBadgeRow;

    // A value knob with its value label below it and its caption above it.
    // `title` keeps the caption label for a window that changes it; the
    // conversion ({} for the window's own) may read the value of the
    // parameter `reads` (the guitar modulation speed reads the type).
    struct Knob {
        Slot<Form, TWC_ImgKnob> knob;
        Slot<Form, QLabel> value;
        Slot<Form, QLabel> title;
        int mcix;
        const char* caption;
        int help;
        QPoint centre;
        KnobLook look;
        ConversionPair conversion = {};
        unsigned options = NoKnobOption;
        int reads = -1;
    };

    // A list of `texts`; a caption here is its hint and accessible name.
    struct List {
        Slot<Form, TWC_ComboBox> list;
        int mcix;
        QRect place;
        int help;
        std::span<const std::string_view> texts;
        const char* caption = nullptr;
    };

    // A switch bound to `mcix` (or Unbound). Its caption is printed at
    // `captionArea` (relative to the switch) and is then also its hint and
    // accessible name; with `label` set it is instead a label below the
    // switch that the window shows and hides with it.
    struct Switch {
        Slot<Form, TWC_ImgButton> button;
        QPoint at;
        int help;
        int mcix = Unbound;
        SwitchKind kind = SwitchKind::Toggle;
        const char* caption = nullptr;
        SwitchCaption captionArea = {};
        Slot<Form, QLabel> label = nullptr;
    };

    // A widget of the window's own, built by the window at `place`.
    struct Own {
        void (Form::*build)(QRect place);
        QRect place;
    };

    using Row = std::variant<Section, Text, Badge, Knob, List, Switch, Own>;
};
