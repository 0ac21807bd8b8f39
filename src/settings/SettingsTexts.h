#pragma once

#include <QString>
#include <array>

#include "files/Preferences.h"

// The texts of the configuration window's settings area and the rules that
// pick them: the entries of its lists, the description of each base
// configuration, when Live EQ and the ZEPHRA-D output apply, the value texts
// of its knobs and the help anchors. Nothing here touches a widget.

// Entries of the configuration lists: the DRUX 2, the other guitar units and
// the bass units.
extern const std::array<const char*, 5> ConfigurationEntries;
extern const std::array<const char*, 5> ConfigurationEntries2;
extern const std::array<const char*, 6> ConfigurationEntries3;
extern const std::array<const char*, 8> DigitalOutEntries;

// Description group of a SubModel (0..6); -1 for any other number.
int ConfigurationGroup(int subModel);
// The two-line description of configuration `value` (0..5) on a SubModel;
// empty outside the table.
QString ConfigurationDescription(int subModel, int value);
// The three Live EQ knobs work in this configuration.
bool LiveEqApplies(int subModel, int value);
// The analog cabinet simulation on the XLR outputs is active.
bool ZephraApplies(int subModel, int value);

// Plain value texts: the raw value in decimal. A text that is not a decimal
// integer (blanks around it allowed) leaves `value` alone.
QString ValToTextMidi(int value);
void TextToValMidi(const QString& text, int& value);

// The tuner's centre frequency: value v stands for 425 + v Hz, which the
// unit receives as v + 25. Time Unit "MIDI" shows that controller number,
// any other unit shows the frequency.
QString TunerCenterToText(int value, int timeUnit);
void TunerCenterFromText(const QString& text, int timeUnit, int& value);

// Anchor of the help page for a control's help number.
QString ConnectHelpAnchor(int helpNumber);
