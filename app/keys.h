// The window's keys and what each does, said once: the keyboard handles
// them from this table, and the page's key pad shows the same keys with the
// same labels (a test holds the two together).
#pragma once

// What a key of the window does.
enum class KeyAction {
    none,      // not a key of the window: only remembered as the last key
    playPause, // pause or resume continuous motion (--play only)
    step,      // one more frame of the motion
    chart,     // the frequency chart
    sweep,     // sweep the frequency and mark the points on the chart
    measure,   // measure the motion shown so far, one line on standard output
    handIn,    // a specimen's answers handed in through the console
    energy,    // show or hide the energy view, its means on standard output
    zoomY,     // vertical scales: lower case shrinks, upper case grows
    zoomT,     // the time axis of the vibration plot
    zoomX,     // the frequency axis of the chart
    dialog,    // the console dialog: m from the spring, g from the force, j the start
    quit,      // end the program
};

// One key of the window: the byte GLUT hands the keyboard callback, the
// key's name on the page (a KeyboardEvent's key), its cap, and its label in
// Japanese and English, as the page's key pad shows them.
struct WindowKey {
    unsigned char code;
    KeyAction action;
    const char* pageKey;
    const char* cap;
    const char* labelJa;
    const char* labelEn;
};

// The keys in the order of the page's key pad.
extern const WindowKey windowKeys[];
extern const int windowKeyCount;

// What the key does; KeyAction::none for any other byte.
KeyAction windowKeyAction(unsigned char code);
