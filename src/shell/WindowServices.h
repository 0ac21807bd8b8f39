#pragma once

class HelpOpener;
class MessageService;
struct PreferenceSet;

// What the program hands every window: the message boxes and file dialogs,
// the help page opener and the preferences in force (the active set, which
// changes in place when the user switches sets). Tests hand in their own.
struct WindowServices {
    MessageService& messages;
    HelpOpener& help;
    const PreferenceSet& preferences;
};
