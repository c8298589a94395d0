// CMembraneDlg, the program's only window: a modal dialog with three inputs, the compute and
// close buttons, the report list, the option button and the colour map of the solution.
#pragma once

#include <QDialog>
#include <QIcon>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "solver/MembraneModel.h"
#include "present/ReportSink.h"

class QListView;
class ReportListModel;
class QPaintEvent;
class QPainter;
class QPlainTextEdit;
class QRadioButton;

class CMembraneDlg : public QDialog, private ReportSink {
    Q_OBJECT

public:
    explicit CMembraneDlg(QWidget* parent = nullptr);

    // The control of a template identifier, or nullptr.
    QWidget* GetDlgItem(int id) const;
    QString GetDlgItemText(int id) const;
    void SetDlgItemText(int id, const QString& text);
    const MembraneModel& Record() const { return m_record; }

protected:
    void paintEvent(QPaintEvent* event) override;

private slots:
    void OnCompute();
    void OnOption();

private:
    void CreateControls();
    void OnInitDialog();
    void OnPaint(QPaintEvent* event);
    void DrawColorMap(QPainter& dc);
    void ExportTable(const std::string& table);

    // Report of a computation: the list lines are collected and shown in one step when the
    // command ends, since nothing can be seen of the window while it runs; the value lines are
    // formatted from the record only as the list shows them.
    void ResetList() override;
    void AddLine(std::string_view line) override;
    void AddValueLines(const NodalField& field, ValueFormat format) override;
    void RequestRepaint() override;
    void SetTable(std::string text) override;

    MembraneModel m_record;
    QRadioButton* m_ctlOption = nullptr;
    QPlainTextEdit* m_ctlTable = nullptr;
    QListView* m_ctlList = nullptr;
    QIcon m_hIcon;

    std::vector<std::pair<int, QWidget*>> m_items;  // template identifier -> control
    ReportListModel* m_listModel = nullptr;
};
