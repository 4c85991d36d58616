#pragma once

// The data-aware grid: a table view over the rows of a TDbf that pass its filter, in the order of
// its active index, read on demand; two-line titles with sort marks, a footer row under the
// columns, multi-row selection kept as bookmarks, and cell editing that posts a row when the
// cell cursor leaves it.

#include "platform/dbgrid/tgpcolumn.h"
#include "platform/dbgrid/tlitedesigner.h"

#include <QVariantList>
#include <QWidget>
#include <functional>
#include <map>
#include <optional>
#include <vector>

class QItemSelection;
class QModelIndex;
class QTableView;
class TDbf;
class GridModel;
class GridHeader;
class GridFooter;
class GridDelegate;

// One selected row: its physical record number and the values its bookmark fields had when it
// was selected.
struct TgpBookmark
{
    int recNo = 0;
    QVariantList values;
};

class TDBGridPro : public QWidget
{
    Q_OBJECT

public:
    explicit TDBGridPro(QWidget *parent = nullptr);
    ~TDBGridPro() override;

    void SetDataSet(TDbf *table);
    TDbf *DataSet() const { return m_table; }

    TgpColumns &Columns() { return *m_columns; }
    const TgpColumns &Columns() const { return *m_columns; }

    // Settings.
    void SetTitleLines(int lines);
    int TitleLines() const { return m_titleLines; }
    void SetShowFooters(bool show);
    bool ShowFooters() const { return m_showFooters; }
    void SetMultiSelect(bool multi);
    bool MultiSelect() const { return m_multiSelect; }
    // Fitting on: the columns share the grid's width in proportion to their widths.
    void SetAutoColumnFit(bool fit);
    bool AutoColumnFit() const { return m_autoColumnFit; }
    // Several columns may carry a sort mark (a title click with Shift keeps the others).
    void SetMultiSortMarks(bool multi) { m_multiSortMarks = multi; }
    bool MultiSortMarks() const { return m_multiSortMarks; }
    // A title may be dragged to move its column.
    void SetColumnsMovable(bool movable);
    bool ColumnsMovable() const { return m_columnsMovable; }
    void SetReadOnly(bool readOnly);
    bool ReadOnly() const { return m_readOnly; }
    void SetDesigner(const TLiteDesigner &designer);
    const TLiteDesigner &Designer() const { return m_designer; }

    // Field names separated by ";" whose values every selected row keeps, e.g. "P;R".
    void SetBookmarkFields(const QString &fields);
    QString BookmarkFields() const { return m_bookmarkFields.join(QLatin1Char(';')); }

    // Selection. With no row explicitly selected the current row is a selection of one. Entries
    // are in the order of their positions in the table file.
    int SelectedCount() const;
    TgpBookmark SelectedRow(int index) const;
    bool HasExplicitSelection() const { return !m_selection.empty(); }
    bool IsSelected(int recNo) const;
    void SelectRecord(int recNo, bool selected = true);
    void ClearSelection();
    // From the last entry to the first: move the table to the row and delete it; then the
    // selection is emptied and AfterDelete raised. Nothing when the selection is empty.
    void DeleteSelectedRows();

    // The cell cursor: visible row of the table's current row and the column holding it.
    int CurrentRow() const;
    int CurrentColumnIndex() const;
    TgpColumn *CurrentColumn() const;
    void SetCurrentColumnIndex(int column);

    // Editing: an edit is held for the row until the cell cursor leaves it; CommitEdit posts it
    // (with an open cell editor first closed and taken).
    bool EditPending() const;
    void CommitEdit();

    // What a click on a column title does: changes that column's mark and raises
    // OnTitleStateChange. Mouse clicks on the titles arrive here.
    void TitleClick(int column, Qt::KeyboardModifiers modifiers);

    QTableView *View() const { return m_view; }
    // Where the footer cell of a column is drawn, in the grid's coordinates; empty when the
    // column is hidden, scrolled away or the footer row is off.
    QRect FooterCellRect(int column) const;
    // The text a cell shows (what the view paints), for the visible row and column.
    QString CellText(int row, int column) const;

    // Events; each gets the grid as its sender and runs guarded, so an error it raises is shown
    // and the program goes on.
    std::function<void(TDBGridPro *)> OnSelectionChange;
    std::function<void(TDBGridPro *, TgpColumn *)> OnTitleStateChange;
    std::function<void(TDBGridPro *)> OnInitEdit;
    std::function<void(TDBGridPro *)> AfterDelete;
    std::function<void(TDBGridPro *)> OnDblClick;

protected:
    void hideEvent(QHideEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend class GridDelegate;
    void rebuildColumns();
    void fitRowHeight();
    void applyWidths();
    void onUserResize(int column, int newSize);
    void onSectionMoved(int logical, int oldVisual, int newVisual);
    void onRowsReset();
    void onCursorMoved();
    void syncCurrentFromTable();
    void onViewCurrentChanged(const QModelIndex &current, const QModelIndex &previous);
    void onViewSelectionChanged(const QItemSelection &selected, const QItemSelection &deselected);
    void restoreViewState();
    bool dropHiddenSelection();
    void postPendingEdit();
    void raise(const std::function<void(TDBGridPro *)> &event);
    void editStarted();
    bool setPendingValue(int row, int column, const QVariant &value);
    std::optional<QVariant> pendingValue(int recNo, int fieldIndex) const;
    bool cellEditable(int column) const;
    TgpBookmark bookmarkOf(int recNo) const;

    TDbf *m_table = nullptr;
    TgpColumns *m_columns;
    GridModel *m_model;
    QTableView *m_view;
    GridHeader *m_header;
    GridFooter *m_footer;
    GridDelegate *m_delegate;

    int m_titleLines = 1;
    bool m_showFooters = false;
    bool m_multiSelect = false;
    bool m_autoColumnFit = false;
    bool m_multiSortMarks = false;
    bool m_columnsMovable = false;
    bool m_readOnly = false;
    TLiteDesigner m_designer;
    QStringList m_bookmarkFields;

    std::vector<TgpBookmark> m_selection; // sorted by record number
    int m_currentColumn = 0;
    bool m_syncing = false;      // the view is being set from the grid's own state
    bool m_suspended = false;    // rows are being deleted; the view waits
    bool m_movingCursor = false; // the grid itself moves the table's cursor
    bool m_cursorSyncQueued = false;
    bool m_applyingWidths = false;
    bool m_userResizing = false;
    bool m_restoringOrder = false;

    struct PendingEdit
    {
        int recNo = 0;
        std::map<int, QVariant> values; // field index -> new value
    };
    std::optional<PendingEdit> m_pending;
};
