// The files membrane-solve writes: whole or not at all, and the offscreen Qt application that
// text in images needs.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <QGuiApplication>

class QImage;

// Writes to a temporary file beside `file` and renames it to `file` only once it is complete,
// so that a failure leaves no partial file under the final name. False on failure.
bool SaveImage(const QImage& image, const std::string& file);  // as a PNG
bool SaveBytes(std::string_view bytes, const std::string& file);

// A QGuiApplication on the offscreen platform for the life of the object, where the program has
// none; Qt's remarks about the desktop it does not have stay out of the messages.
class OffscreenGui {
public:
    OffscreenGui();
    ~OffscreenGui();
    OffscreenGui(const OffscreenGui&) = delete;
    OffscreenGui& operator=(const OffscreenGui&) = delete;

private:
    int m_argc = 1;
    char m_name[16] = "membrane-solve";
    char* m_argv[2] = {m_name, nullptr};
    QtMessageHandler m_previousHandler = nullptr;
    std::optional<QGuiApplication> m_app;
};
