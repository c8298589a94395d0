// What a computation needs from its front end: the report list, the repaint request and the
// table text. The dialog implements it with its widgets, the batch tool with its output.
#pragma once

#include <string>
#include <string_view>

class ReportSink {
public:
    virtual ~ReportSink() = default;
    // Empties the report list.
    virtual void ResetList() = 0;
    // Appends one line (no line terminator) to the report list.
    virtual void AddLine(std::string_view line) = 0;
    // Asks for the whole window, and with it the colour map, to be painted again later.
    virtual void RequestRepaint() = 0;
    // Hands over the finished table text, to be shown in the table edit and copied.
    virtual void SetTable(std::string text) = 0;
};
