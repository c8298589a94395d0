// Rows of the report list, the value lines formatted on demand.
#include "ui/ReportListModel.h"

#include <string>
#include <utility>

ReportListModel::ReportListModel(QObject* parent) : QAbstractListModel(parent) {}

int ReportListModel::Lines::Count() const
{
    return static_cast<int>(before.size()) + (values ? values->Count() : 0) +
           static_cast<int>(after.size());
}

void ReportListModel::Clear()
{
    beginResetModel();
    m_shown = Lines();
    endResetModel();
    m_next = Lines();
}

void ReportListModel::AddLine(QString line)
{
    (m_next.values ? m_next.after : m_next.before).push_back(std::move(line));
}

void ReportListModel::AddValueLines(const ValueLines& lines)
{
    m_next.values = lines;
}

void ReportListModel::Publish()
{
    beginResetModel();
    m_shown = std::move(m_next);
    endResetModel();
    m_next = Lines();
}

int ReportListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_shown.Count();
}

QVariant ReportListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_shown.Count())
        return {};
    return Line(index.row());
}

QString ReportListModel::Line(int row) const
{
    const int before = static_cast<int>(m_shown.before.size());
    if (row < before)
        return m_shown.before[row];
    row -= before;
    if (m_shown.values) {
        if (row < m_shown.values->Count()) {
            std::string text;
            m_shown.values->Append(text, row);
            return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
        }
        row -= m_shown.values->Count();
    }
    return m_shown.after[row];
}
