#pragma once

// The item model of a TDBGridPro: one row per row that passes the table's filter, in the order of
// its active index, one column per grid column. Values are read from the table when a cell is
// painted, never ahead; a small cache keeps the rows being painted.

#include "platform/dbgrid/tgpcolumn.h"

#include <QAbstractTableModel>
#include <array>
#include <functional>
#include <optional>
#include <vector>

class TDbf;

class GridModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    // The grid's part in what the model shows: a value edited but not yet posted, and whether a
    // cell may be edited at all.
    struct Hooks
    {
        std::function<std::optional<QVariant>(int recNo, int fieldIndex)> pendingValue;
        std::function<bool(int column)> editable;
        std::function<bool(int row, int column, const QVariant &value)> setValue;
    };

    GridModel(TgpColumns *columns, Hooks hooks, QObject *parent = nullptr);

    void setTable(TDbf *table);
    // Re-reads the row count and forgets every cached value (rows reset, columns re-bound).
    void reload();
    // One row's values changed.
    void rowValuesChanged(int recNo);

    int recordAt(int row) const;
    int fieldIndex(int column) const;
    // The field value of a cell, the pending edit included; invalid when empty.
    QVariant value(int row, int column) const;
    QString displayText(int row, int column) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;

private:
    struct CachedRow
    {
        int row = -1;
        int recNo = 0;
        std::vector<std::optional<QVariant>> values; // by column
    };
    const CachedRow &cachedRow(int row) const;
    void resolveFields();

    TgpColumns *m_columns;
    Hooks m_hooks;
    TDbf *m_table = nullptr;
    int m_rows = 0;
    std::vector<int> m_fieldIndex; // by column; -1 when the table has no such field
    std::vector<QString> m_fieldFormat;
    static constexpr int CacheSize = 256;
    mutable std::array<CachedRow, CacheSize> m_cache;
};
