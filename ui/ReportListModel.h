// The lines of the report list as a model for the list view: the message and count lines as
// texts, the value lines of the record formatted only when the view shows them.
#pragma once

#include <QAbstractListModel>
#include <QString>

#include <optional>
#include <vector>

#include "present/ReportText.h"

class ReportListModel : public QAbstractListModel {
    Q_OBJECT

public:
    explicit ReportListModel(QObject* parent = nullptr);

    // Empties the list at once.
    void Clear();
    // Lines gathered for the next Publish, in order: texts, and once the value lines.
    void AddLine(QString line);
    void AddValueLines(const ValueLines& lines);
    // Shows the gathered lines in place of the list's.
    void Publish();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    // The lines before the value lines, the value lines, and the lines after them.
    struct Lines {
        std::vector<QString> before;
        std::optional<ValueLines> values;
        std::vector<QString> after;
        int Count() const;
    };

    QString Line(int row) const;

    Lines m_shown;
    Lines m_next;
};
