// Build helper: writes the two icon images as membrane.png into DIR/16x16 and DIR/32x32, for
// installation into the desktop's icon theme.
#include <QDir>
#include <QImage>
#include <QString>

#include <cstdio>

#include "ui/icons/membrane-16.xpm"
#include "ui/icons/membrane-32.xpm"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: export_icon_png DIR\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    const struct {
        const char* const* xpm;
        const char* size;
    } images[] = {{membrane_16_xpm, "16x16"}, {membrane_32_xpm, "32x32"}};
    for (const auto& image : images) {
        const QString sub = dir + '/' + QString::fromLatin1(image.size);
        if (!QDir().mkpath(sub) || !QImage(image.xpm).save(sub + "/membrane.png", "PNG")) {
            std::fprintf(stderr, "export_icon_png: cannot write %s\n", qPrintable(sub));
            return 1;
        }
    }
    return 0;
}
