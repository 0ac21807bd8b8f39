#pragma once

class HelpOpener;
class MessageService;
struct PreferenceList;
struct PreferenceSet;

// What the program hands every window: the message boxes and file dialogs,
// the help page opener, the preferences in force (the active set, which
// changes in place when the user switches sets) and the named sets the menu
// and the preferences dialog list. Tests hand in their own.
struct WindowServices {
    MessageService& messages;
    HelpOpener& help;
    const PreferenceSet& preferences;
    const PreferenceList& preferenceSets;
};
