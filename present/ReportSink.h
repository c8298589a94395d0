// What a computation needs from its front end: the report list, the repaint request and the
// table text. The dialog implements it with its widgets, the batch tool with its output.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct NodalField;

enum class ValueFormat {
    Fixed6,    // printf's "%.6f" in the C locale
    Shortest,  // the shortest text that reads back to the same double
};

class ReportSink {
public:
    virtual ~ReportSink() = default;
    // Empties the report list.
    virtual void ResetList() = 0;
    // Appends one line (no line terminator) to the report list.
    virtual void AddLine(std::string_view line) = 0;
    // Appends the value lines of the solved field (see ValueLines), whose values stay as they are
    // until the next ResetList. By default they are formatted here and added one by one; a
    // front end that shows only some of them at a time may keep the field and format them when
    // shown.
    virtual void AddValueLines(const NodalField& field, ValueFormat format);
    // Asks for the whole window, and with it the colour map, to be painted again later.
    virtual void RequestRepaint() = 0;
    // Hands over the finished table text, to be shown in the table edit and copied.
    virtual void SetTable(std::string text) = 0;
};

// Keeps the lines and the table, for front ends without widgets.
class CollectingSink final : public ReportSink {
public:
    std::vector<std::string> lines;
    std::string table;

    void ResetList() override { lines.clear(); }
    void AddLine(std::string_view line) override { lines.emplace_back(line); }
    void RequestRepaint() override {}
    void SetTable(std::string text) override { table = std::move(text); }
};
