// The main dialog: controls built from the template, the handlers of the compute and option
// buttons, the table carried to the clipboard through the hidden edit, and the paint.
#include "ui/MembraneDlg.h"

#include <QApplication>
#include <QByteArray>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextCursor>

#include "command/ComputeCommand.h"
#include "present/ColorMapPainter.h"
#include "ui/DialogTemplate.h"
#include "ui/DialogUnits.h"
#include "ui/MainIcon.h"
#include "ui/ReportListModel.h"
#include "ui/Resource.h"

namespace {

// The installed Japanese proportional Gothic that stands in for the template's font.
constexpr const char* kFontSubstitute = "IPAPGothic";

// The multiline edit that carries the table: its copy puts plain text on the clipboard and
// nothing else (no HTML or rich-text formats alongside).
class TableEdit : public QPlainTextEdit {
public:
    using QPlainTextEdit::QPlainTextEdit;

protected:
    QMimeData* createMimeDataFromSelection() const override
    {
        // The selected text as it stands, its paragraph ends as line feeds: the table holds
        // nothing else that a plain-text copy would change.
        QString text = textCursor().selectedText();
        text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
        text.replace(QChar::LineSeparator, QLatin1Char('\n'));
        auto* data = new QMimeData;
        data->setText(text);
        return data;
    }
};

// Holds the wait cursor for one handler call, also when an exception passes.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

QString FromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QWidget* CreateControl(const ControlTemplate& c, QWidget* parent)
{
    const QString text = c.text ? QString::fromUtf8(c.text) : QString();
    switch (c.cls) {
    case ControlClass::Edit:
        if (c.styles & ES_MULTILINE) {
            auto* edit = new TableEdit(parent);
            edit->setLineWrapMode(QPlainTextEdit::NoWrap);
            edit->setPlainText(text);
            return edit;
        }
        return new QLineEdit(text, parent);
    case ControlClass::Button:
        if (c.styles & BS_AUTORADIOBUTTON)
            return new QRadioButton(text, parent);
        return new QPushButton(text, parent);
    case ControlClass::Static: {
        auto* label = new QLabel(text, parent);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return label;
    }
    case ControlClass::ListBox: {
        // Unsorted: the lines stand in the order of the report. All rows are one text line
        // high, so the view sizes them all from one.
        auto* list = new QListView(parent);
        list->setUniformItemSizes(true);
        list->setEditTriggers(QAbstractItemView::NoEditTriggers);
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        return list;
    }
    }
    return nullptr;
}

}  // namespace

CMembraneDlg::CMembraneDlg(QWidget* parent)
    : QDialog(parent), m_hIcon(LoadMainIcon())
{
    CreateControls();

    connect(qobject_cast<QPushButton*>(GetDlgItem(IDC_COMPUTE)), &QPushButton::clicked, this,
            &CMembraneDlg::OnCompute);
    connect(m_ctlOption, &QRadioButton::clicked, this, &CMembraneDlg::OnOption);
    connect(qobject_cast<QPushButton*>(GetDlgItem(IDCANCEL)), &QPushButton::clicked, this,
            &QDialog::reject);

    OnInitDialog();
}

void CMembraneDlg::CreateControls()
{
    const DialogTemplate& t = MainDialogTemplate();
    const QString face = QString::fromUtf8(t.fontFace);
    QFont::insertSubstitution(face, QString::fromLatin1(kFontSubstitute));
    QFont font(face);
    font.setPointSize(t.fontPointSize);
    setFont(font);

    setWindowTitle(QString::fromUtf8(t.title));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);

    // Creation order is the tab order.
    const DialogBaseUnits units = BaseUnitsOf(font);
    for (const ControlTemplate& c : t.controls) {
        QWidget* w = CreateControl(c, this);
        w->setGeometry(DialogUnitsToPixels(c.x, c.y, c.cx, c.cy, units));
        w->setVisible(c.styles & WS_VISIBLE);
        if (!(c.styles & WS_TABSTOP) && w->focusPolicy() != Qt::NoFocus)
            w->setFocusPolicy(Qt::ClickFocus);
        if (auto* button = qobject_cast<QPushButton*>(w))
            button->setDefault(c.styles & BS_DEFPUSHBUTTON);
        if (c.id != IDC_STATIC) {
            w->setObjectName(QStringLiteral("control_%1").arg(c.id));
            m_items.emplace_back(c.id, w);
        }
    }
    m_ctlOption = qobject_cast<QRadioButton*>(GetDlgItem(IDC_OPTION));
    m_ctlTable = qobject_cast<QPlainTextEdit*>(GetDlgItem(IDC_TABLE));
    m_ctlList = qobject_cast<QListView*>(GetDlgItem(IDC_LIST));
    m_listModel = new ReportListModel(this);
    m_ctlList->setModel(m_listModel);

    setFixedSize(DialogUnitsToPixels(0, 0, t.cx, t.cy, units).size());
}

void CMembraneDlg::OnInitDialog()
{
    setWindowIcon(m_hIcon);
    SetDlgItemText(IDC_DIVX, FromUtf8(kDefaultInputs.divX));
    SetDlgItemText(IDC_DIVY, FromUtf8(kDefaultInputs.divY));
    SetDlgItemText(IDC_ALPHA, FromUtf8(kDefaultInputs.alpha));
    m_record.m_dLenX = MembraneModel::kLenX;
    m_record.m_dLenY = MembraneModel::kLenY;
    m_record.m_bSolved = 0;
    m_record.m_bOption = 1;
    m_ctlOption->setChecked(true);
    GetDlgItem(IDC_DIVX)->setFocus();
}

QWidget* CMembraneDlg::GetDlgItem(int id) const
{
    for (const auto& [itemId, widget] : m_items)
        if (itemId == id)
            return widget;
    return nullptr;
}

QString CMembraneDlg::GetDlgItemText(int id) const
{
    if (auto* edit = qobject_cast<QLineEdit*>(GetDlgItem(id)))
        return edit->text();
    if (auto* edit = qobject_cast<QPlainTextEdit*>(GetDlgItem(id)))
        return edit->toPlainText();
    return {};
}

void CMembraneDlg::SetDlgItemText(int id, const QString& text)
{
    if (auto* edit = qobject_cast<QLineEdit*>(GetDlgItem(id)))
        edit->setText(text);
    else if (auto* edit = qobject_cast<QPlainTextEdit*>(GetDlgItem(id)))
        edit->setPlainText(text);
}

void CMembraneDlg::OnCompute()
{
    const WaitCursor wait;
    const QByteArray divX = GetDlgItemText(IDC_DIVX).toUtf8();
    const QByteArray divY = GetDlgItemText(IDC_DIVY).toUtf8();
    const QByteArray alpha = GetDlgItemText(IDC_ALPHA).toUtf8();
    RunCompute(m_record, {std::string_view(divX.constData(), divX.size()),
                         std::string_view(divY.constData(), divY.size()),
                         std::string_view(alpha.constData(), alpha.size())},
               *this);
    m_listModel->Publish();
}

void CMembraneDlg::OnOption()
{
    m_record.m_bOption = m_record.m_bOption == 0 ? 1 : 0;
    // A lone auto-exclusive radio button refuses to be unchecked; lift that for the moment,
    // so that the check mark always equals m_bOption.
    m_ctlOption->setAutoExclusive(false);
    m_ctlOption->setChecked(m_record.m_bOption == 1);
    m_ctlOption->setAutoExclusive(true);
}

void CMembraneDlg::paintEvent(QPaintEvent* event)
{
    OnPaint(event);
}

void CMembraneDlg::OnPaint(QPaintEvent* event)
{
    if (isMinimized()) {
        QPainter dc(this);
        const QSize icon(32, 32);
        const QRect client = rect();
        const int x = (client.width() - icon.width() + 1) / 2;
        const int y = (client.height() - icon.height() + 1) / 2;
        m_hIcon.paint(&dc, QRect(QPoint(x, y), icon));
        return;
    }
    QDialog::paintEvent(event);
    QPainter dc(this);
    DrawColorMap(dc);
}

void CMembraneDlg::DrawColorMap(QPainter& dc)
{
    if (m_record.m_bSolved == 0)
        return;
    const QRect client = rect();
    const int y0 = client.height() - kMapBaselineGap;
    PaintColorMap(dc, m_record, kMapLeft, y0);
}

void CMembraneDlg::ExportTable(const std::string& table)
{
    m_ctlTable->setPlainText(QString::fromUtf8(table.data(), static_cast<qsizetype>(table.size())));
    m_ctlTable->selectAll();
    // Scrolling the caret into view matters only where the edit can be seen. The table edit
    // never is, and laying out its long lines to find the caret would take most of a click.
    if (m_ctlTable->isVisible())
        m_ctlTable->ensureCursorVisible();
    m_ctlTable->copy();
}

void CMembraneDlg::ResetList()
{
    m_listModel->Clear();
}

void CMembraneDlg::AddLine(std::string_view line)
{
    m_listModel->AddLine(FromUtf8(line));
}

void CMembraneDlg::AddValueLines(const NodalField& field, ValueFormat format)
{
    m_listModel->AddValueLines(ValueLines(field, format));
}

void CMembraneDlg::RequestRepaint()
{
    update();
}

void CMembraneDlg::SetTable(std::string text)
{
    ExportTable(text);
}
