#pragma once

// The MIDI libraries speak on the terminal when no MIDI system answers:
// libjack writes a dozen lines for every client that finds no server, and
// RtMidi writes its warnings to std::cerr until an error callback is in
// place. From here on both go to the diagnostic trace instead, a line each.
void RouteLibraryMessagesToTrace();
