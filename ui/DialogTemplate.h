// The main dialog's template as data: size, title, font and the controls in creation (and
// tab) order, with rectangles in dialog units.
#pragma once

#include <span>

enum class ControlClass { Edit, Button, Static, ListBox };

// The control styles the dialog acts on; several combine in one mask. Borders, scroll bars and
// the like are what the Qt controls do by themselves.
enum ControlStyle : unsigned {
    WS_VISIBLE = 1u << 0,        // shown; the table edit is not
    WS_TABSTOP = 1u << 1,        // reached with the Tab key
    ES_MULTILINE = 1u << 2,      // the table edit
    BS_DEFPUSHBUTTON = 1u << 3,  // Enter presses it
    BS_AUTORADIOBUTTON = 1u << 4,
};

struct ControlTemplate {
    int id;
    ControlClass cls;
    const char* text;  // UTF-8
    unsigned styles;
    int x, y, cx, cy;  // dialog units
};

struct DialogTemplate {
    int cx, cy;            // client area, dialog units
    const char* title;     // UTF-8
    const char* fontFace;  // UTF-8
    int fontPointSize;
    std::span<const ControlTemplate> controls;
};

// IDD_MAIN.
const DialogTemplate& MainDialogTemplate();
