#pragma once

// Key codes that the application's key filter hands to single-line edit
// fields in place of Enter and Escape, and to the bass editor's piano in
// place of O and P.
enum DruxKey : int {
    KeyPianoDown = 132,
    KeyPianoUp = 133,
    KeyConfirm = 134,
    KeyCancel = 135,
};
