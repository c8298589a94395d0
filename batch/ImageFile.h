// Image files written whole or not at all.
#pragma once

#include <string>

class QImage;

// Writes image as a PNG to a temporary file beside `file` and renames it to `file` only when it
// is complete, so that a failure leaves no partial file under the final name. False on failure.
bool SaveImage(const QImage& image, const std::string& file);
