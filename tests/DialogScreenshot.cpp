// Writes a picture of the dialog after a computation with its start-up inputs, drawn offscreen
// by the dialog itself, for the README: dialog-screenshot FILE.png.
#include <QApplication>
#include <QImage>

#include <cstdio>

#include "DialogDriver.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: dialog-screenshot FILE.png\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const DialogDriver d;
    QTest::mouseClick(d.dlg->GetDlgItem(IDC_COMPUTE), Qt::LeftButton);
    return d.Grab().save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
}
