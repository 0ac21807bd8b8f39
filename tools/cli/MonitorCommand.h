#pragma once

#include <QStringList>
#include <functional>
#include <memory>

#include "midi/MidiDriver.h"

// drux monitor [--seconds S] [--model CODE] [--raw]: listens on every MIDI
// input port and prints one line per message, tab-separated: time in ms,
// input port, the message in words, its bytes in hex. Sends nothing.
// `driver` null means the real ports; `listening` runs once the ports are
// open (tests inject their messages there).
int RunMonitorCommand(const QStringList& args, std::unique_ptr<MidiDriver> driver = nullptr,
                      std::function<void()> listening = nullptr);
