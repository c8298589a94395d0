// PNG files through QSaveFile, which writes beside the target and renames on commit.
#include "batch/ImageFile.h"

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QSaveFile>

bool SaveImage(const QImage& image, const std::string& file)
{
    QSaveFile out(QFile::decodeName(QByteArray::fromStdString(file)));
    if (!out.open(QIODevice::WriteOnly))
        return false;
    if (!image.save(&out, "PNG")) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
}
