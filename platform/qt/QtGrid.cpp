// SPDX-License-Identifier: GPL-3.0-or-later

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTableView>

#include "platform/Grid.h"
#include "platform/qt/QtPeers.h"

namespace platform::qt {

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

// Asks the grid for a cell only when the view asks for it, which is for
// the rows it shows.
class GridModel : public QAbstractTableModel {
  public:
    explicit GridModel(QObject* parent) : QAbstractTableModel(parent) {}
    Grid* grid = nullptr;
    int rows = 0;
    int columns = 0;

    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : rows; }
    int columnCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : columns;
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!grid || !index.isValid())
            return {};
        if (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::BackgroundRole &&
            role != Qt::ToolTipRole)
            return {};
        const GridCell cell = grid->cell(index.row(), index.column());
        switch (role) {
            case Qt::BackgroundRole:
                return cell.background ? QVariant(toQColor(*cell.background)) : QVariant();
            case Qt::ToolTipRole:
                return cell.tooltip.empty() ? QVariant() : QVariant(qs(cell.tooltip));
            default:
                return qs(cell.text);
        }
    }

    QVariant headerData(int section, Qt::Orientation o, int role) const override {
        if (!grid || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
            return {};
        if (role == Qt::ToolTipRole) {
            const std::string tip = o == Qt::Horizontal ? grid->headerTooltip(section) : "";
            return tip.empty() ? QVariant() : QVariant(qs(tip));
        }
        if (o == Qt::Vertical)
            return section + 1;
        return section < grid->columnCount() ? qs(grid->headers()[section]) : QVariant();
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
        if (grid && index.isValid() && !grid->cell(index.row(), index.column()).readOnly)
            f |= Qt::ItemIsEditable;
        return f;
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        if (!grid || role != Qt::EditRole)
            return false;
        return grid->userEdit(index.row(), index.column(), value.toString().toStdString());
    }

    // The grid's new shape, by rows and columns added or taken at the end,
    // so that an open editor and the scroll position survive.
    void reshape(int newRows, int newColumns) {
        if (newColumns > columns) {
            beginInsertColumns({}, columns, newColumns - 1);
            columns = newColumns;
            endInsertColumns();
        } else if (newColumns < columns) {
            beginRemoveColumns({}, newColumns, columns - 1);
            columns = newColumns;
            endRemoveColumns();
        }
        if (newRows > rows) {
            beginInsertRows({}, rows, newRows - 1);
            rows = newRows;
            endInsertRows();
        } else if (newRows < rows) {
            beginRemoveRows({}, newRows, rows - 1);
            rows = newRows;
            endRemoveRows();
        }
        if (columns > 0)
            emit headerDataChanged(Qt::Horizontal, 0, columns - 1);
        refresh();
    }
    void refresh() {
        if (rows > 0 && columns > 0)
            emit dataChanged(index(0, 0), index(rows - 1, columns - 1));
        if (columns > 0)
            emit headerDataChanged(Qt::Horizontal, 0, columns - 1);
    }
};

class GridWidget : public QTableView, public PeerBase {
  public:
    GridWidget(Grid& g, QWidget* parent)
        : QTableView(parent), PeerBase(g), m_model(new GridModel(this)) {
        m_model->grid = &g;
        setModel(m_model);
        setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                        QAbstractItemView::AnyKeyPressed);
        setSelectionMode(QAbstractItemView::ContiguousSelection);
        setTabKeyNavigation(false);
        verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
        connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
                [this](const QModelIndex& now, const QModelIndex&) {
                    if (m_syncing || !m_control || !now.isValid())
                        return;
                    // The view keeps the block it is extending.
                    m_fromView = true;
                    grid().userSetCurrent(now.row(), now.column());
                    m_fromView = false;
                    takeSelection();
                });
        connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
                [this] { takeSelection(); });
    }

    void changed(Property what) override {
        syncCommon(*this, what);
        if (!m_control)
            return;
        switch (what) {
            case Property::Layout:
                m_model->reshape(grid().rowCount(), grid().columnCount());
                fitColumns();
                showCurrent();
                break;
            case Property::Content:
                m_model->refresh();
                break;
            case Property::Selection:
                if (!m_fromView)
                    showCurrent();
                break;
            case Property::Font:
                verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
                fitColumns();
                break;
            default:
                break;
        }
    }

  protected:
    void keyPressEvent(QKeyEvent* e) override {
        if (!m_control)
            return QTableView::keyPressEvent(e);
        const bool ctrl = e->modifiers() & Qt::ControlModifier;
        const bool shift = e->modifiers() & Qt::ShiftModifier;
        int key = 0;
        if (e->matches(QKeySequence::Copy) || (ctrl && e->key() == Qt::Key_C))
            key = 'C';
        else if (e->matches(QKeySequence::Paste) || (ctrl && e->key() == Qt::Key_V))
            key = 'V';
        else if (e->key() == Qt::Key_Tab || e->key() == Qt::Key_Backtab)
            key = VK_TAB;
        else if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
            key = VK_RETURN;
        if (key && state() != QAbstractItemView::EditingState) {
            grid().userKeyDown(key, key == 'C' || key == 'V', shift || e->key() == Qt::Key_Backtab);
            return;
        }
        QTableView::keyPressEvent(e);
    }

    // Tab and Enter in the editor commit the cell and move on, as the grid
    // moves: across, then to the next row; down.
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override {
        QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
        if (!m_control)
            return;
        if (hint == QAbstractItemDelegate::EditNextItem)
            grid().userKeyDown(VK_TAB);
        else if (hint == QAbstractItemDelegate::EditPreviousItem)
            grid().userKeyDown(VK_TAB, false, true);
        else if (hint == QAbstractItemDelegate::SubmitModelCache)
            grid().userKeyDown(VK_RETURN);
    }

    bool focusNextPrevChild(bool next) override {
        // Tab stays in the grid while a cell is edited.
        if (state() == QAbstractItemView::EditingState)
            return false;
        return QTableView::focusNextPrevChild(next);
    }

  private:
    Grid& grid() const { return static_cast<Grid&>(*m_control); }

    void fitColumns() {
        const QFontMetrics fm = horizontalHeader()->fontMetrics();
        for (int c = 0; c < m_model->columns; ++c) {
            const int header = fm.horizontalAdvance(qs(grid().headers()[c])) + 2 * fm.height();
            // The first rows, not the whole table, set the width.
            int cells = 0;
            for (int r = 0; r < std::min(m_model->rows, 40); ++r)
                cells = std::max(cells, fm.horizontalAdvance(qs(grid().cell(r, c).text)) +
                                            fm.averageCharWidth() * 2);
            cells = std::min(cells, 24 * fm.averageCharWidth());
            setColumnWidth(c, std::max({header, cells, fm.horizontalAdvance("-0.000e-00")}));
        }
    }

    void showCurrent() {
        if (m_model->rows == 0 || m_model->columns == 0)
            return;
        m_syncing = true;
        const QModelIndex current = m_model->index(grid().currentRow(), grid().currentColumn());
        selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
        const GridRange& b = grid().selection();
        selectionModel()->select(
            QItemSelection(m_model->index(b.top, b.left), m_model->index(b.bottom, b.right)),
            QItemSelectionModel::ClearAndSelect);
        scrollTo(current);
        m_syncing = false;
    }

    void takeSelection() {
        if (m_syncing || m_fromView || !m_control)
            return;
        const QItemSelection s = selectionModel()->selection();
        if (s.isEmpty())
            return;
        const QItemSelectionRange& r = s.first();
        m_fromView = true;
        grid().setSelection({r.top(), r.left(), r.bottom(), r.right()});
        m_fromView = false;
    }

    GridModel* m_model;
    bool m_syncing = false;   // the view follows the grid
    bool m_fromView = false;  // the grid follows the view
};

}  // namespace

QWidget* createGridWidget(Grid& grid, QWidget* parent) {
    return new GridWidget(grid, parent);
}

}  // namespace platform::qt
