#include "platform/dbgrid/gridmodel.h"

#include "platform/dbf/tdbf.h"
#include "platform/dbgrid/cellvision.h"

#include <QBrush>

QVariant SafeValueAt(const TDbf &table, int recNo, int fieldIndex)
{
    try {
        return table.ValueAt(recNo, fieldIndex);
    } catch (const std::exception &) {
        // A row that cannot be read shows empty cells; painting must not stop on it.
        return {};
    }
}

GridModel::GridModel(TgpColumns *columns, Hooks hooks, QObject *parent)
    : QAbstractTableModel(parent), m_columns(columns), m_hooks(std::move(hooks))
{}

void GridModel::setTable(TDbf *table)
{
    m_table = table;
    reload();
}

void GridModel::reload()
{
    beginResetModel();
    m_rows = (m_table && m_table->Active()) ? m_table->ExactRecordCount() : 0;
    for (CachedRow &cached : m_cache)
        cached.row = -1;
    resolveFields();
    endResetModel();
}

void GridModel::resolveFields()
{
    m_fieldIndex.assign(size_t(m_columns->Count()), -1);
    m_fieldFormat.assign(size_t(m_columns->Count()), QString());
    if (!m_table || !m_table->Active())
        return;
    for (int c = 0; c < m_columns->Count(); ++c) {
        if (const TField *field = m_table->FindField(m_columns->Items(c)->FieldName())) {
            m_fieldIndex[size_t(c)] = field->Index();
            m_fieldFormat[size_t(c)] = field->DisplayFormat();
        }
    }
}

void GridModel::rowValuesChanged(int recNo)
{
    for (CachedRow &cached : m_cache) {
        if (cached.row >= 0 && cached.recNo == recNo) {
            const int row = cached.row;
            cached.row = -1;
            emit dataChanged(index(row, 0), index(row, columnCount() - 1));
        }
    }
}

const GridModel::CachedRow &GridModel::cachedRow(int row) const
{
    CachedRow &cached = m_cache[size_t(row) % CacheSize];
    if (cached.row != row) {
        cached.row = row;
        cached.recNo = m_table->RecordAt(row);
        cached.values.assign(m_fieldIndex.size(), std::nullopt);
    }
    return cached;
}

int GridModel::recordAt(int row) const
{
    if (row < 0 || row >= m_rows)
        return 0;
    return cachedRow(row).recNo;
}

int GridModel::fieldIndex(int column) const
{
    return column >= 0 && size_t(column) < m_fieldIndex.size() ? m_fieldIndex[size_t(column)] : -1;
}

QVariant GridModel::value(int row, int column) const
{
    const int field = fieldIndex(column);
    if (row < 0 || row >= m_rows || field < 0)
        return {};
    const CachedRow &cached = cachedRow(row);
    if (m_hooks.pendingValue)
        if (auto pending = m_hooks.pendingValue(cached.recNo, field))
            return *pending;
    std::optional<QVariant> &slot = const_cast<CachedRow &>(cached).values[size_t(column)];
    if (!slot)
        slot = SafeValueAt(*m_table, cached.recNo, field);
    return *slot;
}

QString GridModel::displayText(int row, int column) const
{
    if (column < 0 || column >= m_columns->Count())
        return {};
    const TgpColumn *col = m_columns->Items(column);
    return CellDisplayText(value(row, column), col->View(), col->NumericFormat(),
                           m_fieldFormat[size_t(column)]);
}

int GridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int GridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_fieldIndex.size());
}

QVariant GridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.column() >= m_columns->Count())
        return {};
    const TgpColumn *column = m_columns->Items(index.column());
    switch (role) {
    case Qt::DisplayRole:
        return displayText(index.row(), index.column());
    case Qt::EditRole: {
        const QVariant v = value(index.row(), index.column());
        if (v.typeId() == QMetaType::Double)
            return QLocale().toString(v.toDouble(), 'g', 15);
        return v.isValid() ? QVariant(v.toString().trimmed()) : QVariant(QString());
    }
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(column->Alignment());
    case Qt::BackgroundRole:
        return column->IsDefaultColor() ? QVariant() : QVariant(QBrush(column->Color()));
    case Qt::FontRole:
        return column->Font() ? QVariant(*column->Font()) : QVariant();
    default:
        return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    // The tool tip gives the whole caption where the title lines cut it.
    if (orientation == Qt::Horizontal && (role == Qt::DisplayRole || role == Qt::ToolTipRole) &&
        section >= 0 && section < m_columns->Count())
        return m_columns->Items(section)->Caption();
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags GridModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && fieldIndex(index.column()) >= 0 && m_hooks.editable &&
        m_hooks.editable(index.column()))
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool GridModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || !m_hooks.setValue)
        return false;
    if (!m_hooks.setValue(index.row(), index.column(), value))
        return false;
    emit dataChanged(index, index);
    return true;
}
