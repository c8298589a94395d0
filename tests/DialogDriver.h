// Drives a real CMembraneDlg the way a user does, and reads back what it shows.
#pragma once

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QAbstractItemModel>
#include <QListView>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

#include "ui/MembraneDlg.h"
#include "ui/Resource.h"

struct DialogDriver {
    std::unique_ptr<CMembraneDlg> dlg = std::make_unique<CMembraneDlg>();
    bool exposed = false;  // the window is on the (offscreen) screen

    DialogDriver()
    {
        dlg->show();
        exposed = QTest::qWaitForWindowExposed(dlg.get());
    }

    QLineEdit* Edit(int id) const { return qobject_cast<QLineEdit*>(dlg->GetDlgItem(id)); }
    QListView* List() const { return qobject_cast<QListView*>(dlg->GetDlgItem(IDC_LIST)); }
    int ListCount() const { return List()->model()->rowCount(); }
    QPlainTextEdit* Table() const { return qobject_cast<QPlainTextEdit*>(dlg->GetDlgItem(IDC_TABLE)); }
    QRadioButton* Option() const { return qobject_cast<QRadioButton*>(dlg->GetDlgItem(IDC_OPTION)); }

    // Types the three texts and clicks the compute button.
    void Compute(const QString& x, const QString& y, const QString& alpha) const
    {
        Edit(IDC_DIVX)->setText(x);
        Edit(IDC_DIVY)->setText(y);
        Edit(IDC_ALPHA)->setText(alpha);
        QTest::mouseClick(dlg->GetDlgItem(IDC_COMPUTE), Qt::LeftButton);
    }

    std::vector<std::string> Lines() const
    {
        std::vector<std::string> lines;
        const QAbstractItemModel* model = List()->model();
        for (int i = 0; i < model->rowCount(); ++i)
            lines.push_back(model->index(i, 0).data().toString().toStdString());
        return lines;
    }

    QImage Grab() const { return dlg->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    // The map's baseline, 30 pixels above the lower edge of the client area.
    int Baseline() const { return dlg->height() - 30; }

    // Whether the first map cell is painted: its pixel differs from the background beside it.
    bool MapShown() const
    {
        const QImage image = Grab();
        return image.pixel(10, Baseline() - 1) != image.pixel(5, Baseline() - 1);
    }

    static QString ClipboardText() { return QGuiApplication::clipboard()->text(); }
};
