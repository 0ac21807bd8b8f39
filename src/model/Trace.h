#pragma once

#include <functional>
#include <string>

// Diagnostic trace: one line of at most 255 characters per event. The program
// neither shows nor stores these lines by default; tests and the command-line
// tool install a sink to read them.
using TraceSink = std::function<void(int level, const std::string& line)>;

void SetTraceSink(TraceSink sink);
// A second reader beside the sink (the MIDI monitor); empty removes it.
void SetTraceObserver(TraceSink observer);
void TraceLine(int level, const char* format, ...) __attribute__((format(printf, 2, 3)));
