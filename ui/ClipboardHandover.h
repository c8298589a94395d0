// The table stays on the clipboard after the dialog ends. On X11 and Wayland a clipboard's
// contents live in the program that copied them; a program that ends takes them along, unless a
// clipboard manager saves them. So when the dialog ends while it still owns the clipboard and
// no manager is there to take it over, a small program of its own, membrane-clipboard, takes
// the text and holds it until another program copies something.
#pragma once

#include <QString>

// Hands the clipboard's text over to membrane-clipboard where the application owns the
// clipboard and no clipboard manager will save it. Call it as the dialog ends, while the
// application object still lives. `holder` is the path of membrane-clipboard.
void HandOverClipboard(const QString& holder);

// The path of membrane-clipboard for the running program: in the installation's private library
// folder, else beside the program in the build tree.
QString ClipboardHolderPath();
