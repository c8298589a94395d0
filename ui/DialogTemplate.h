// The main dialog's template as data: size, title, font and the controls in creation (and
// tab) order, with rectangles in dialog units.
#pragma once

#include <span>

enum class ControlClass { Edit, Button, Static, ListBox };

// Control styles; several combine in one mask.
enum ControlStyle : unsigned {
    WS_VISIBLE = 1u << 0,
    WS_BORDER = 1u << 1,
    WS_TABSTOP = 1u << 2,
    WS_GROUP = 1u << 3,
    WS_VSCROLL = 1u << 4,
    WS_HSCROLL = 1u << 5,
    ES_AUTOHSCROLL = 1u << 6,
    ES_MULTILINE = 1u << 7,
    ES_WANTRETURN = 1u << 8,
    BS_PUSHBUTTON = 1u << 9,
    BS_DEFPUSHBUTTON = 1u << 10,
    BS_AUTORADIOBUTTON = 1u << 11,
    SS_LEFT = 1u << 12,
    LBS_NOTIFY = 1u << 13,
    LBS_NOINTEGRALHEIGHT = 1u << 14,
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
