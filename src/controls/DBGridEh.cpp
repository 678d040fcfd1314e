// The data-aware grid: binding, columns, settings, and keeping the view on the cursor.
#include "controls/DBGridEh.h"

#include "controls/DBGridDelegate.h"
#include "controls/DBGridModel.h"
#include "controls/HandlerErrors.h"
#include "db/DataSet.h"
#include "db/DataSource.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QScrollBar>

TDBGridEh::TDBGridEh(QWidget* parent)
    : QTableView(parent)
    , model_(new controls::DBGridModel(this))
    , delegate_(new controls::DBGridDelegate(this))
    , selected_(this)
    , color_(colors::clWindow())
    , titleFont_(font_) {
    setModel(model_);
    setItemDelegate(delegate_);
    setSelectionMode(QAbstractItemView::NoSelection);
    setTabKeyNavigation(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(QFontMetrics(font_.font).height() + 4);
    verticalHeader()->setFixedWidth(14);
    verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    verticalHeader()->viewport()->installEventFilter(this);
    horizontalHeader()->setDefaultSectionSize(defaultColWidth_);
    horizontalHeader()->setSectionsMovable(false);
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->setHighlightSections(false);
    applyOptions();
}

TDBGridEh::~TDBGridEh() {
    for (auto& c : sourceConnections_)
        disconnect(c);
}

db::DataSet* TDBGridEh::dataSet() const {
    return source_ ? source_->dataSet() : nullptr;
}

void TDBGridEh::setDataSource(db::DataSource* source) {
    if (source_ == source)
        return;
    closeEditorWithoutCommit();
    source_ = source;
    selected_.Clear();
    connectSource();
    rebuildAutoColumns();
    resetModel();
}

void TDBGridEh::connectSource() {
    for (auto& c : sourceConnections_)
        disconnect(c);
    sourceConnections_.clear();
    if (!source_)
        return;
    auto full = [this] {
        rebuildAutoColumns();
        resetModel();
    };
    sourceConnections_.push_back(connect(source_, &db::DataSource::activeChanged, this, full));
    sourceConnections_.push_back(
        connect(source_, &db::DataSource::dataSetChanged, this, [this] { resetModel(); }));
    sourceConnections_.push_back(
        connect(source_, &db::DataSource::layoutChanged, this, [this] { resetModel(); }));
    sourceConnections_.push_back(connect(source_, &db::DataSource::recordMoved, this, [this] {
        model_->indicatorChanged(currentDataRow());
        syncCurrentRow();
        viewport()->update();
    }));
    sourceConnections_.push_back(
        connect(source_, &db::DataSource::recordChanged, this, [this](int) {
            model_->rowChanged(currentDataRow());
            viewport()->update();
        }));
    // Edit and browse differ only in the indicator: an open editor must survive the switch.
    sourceConnections_.push_back(connect(source_, &db::DataSource::stateChanged, this, [this] {
        model_->indicatorChanged(currentDataRow());
        viewport()->update();
    }));
}

// --- Columns

const std::vector<std::unique_ptr<TColumnEh>>& TDBGridEh::activeColumns() const {
    return columns_.empty() ? autoColumns_ : columns_;
}

TColumnEh* TDBGridEh::addColumn(const QString& fieldName, const QString& title, int width) {
    columns_.push_back(std::make_unique<TColumnEh>(this, fieldName));
    TColumnEh* c = columns_.back().get();
    if (!title.isNull())
        c->TitleCaption = title;
    c->Width = width;
    columnsChanged();
    return c;
}

void TDBGridEh::clearColumns() {
    closeEditorWithoutCommit();
    columns_.clear();
    rebuildAutoColumns();
    columnsChanged();
}

TColumnEh* TDBGridEh::Column(int index) const {
    const auto& cols = activeColumns();
    if (index < 0 || index >= int(cols.size()))
        return nullptr;
    return cols[size_t(index)].get();
}

int TDBGridEh::columnIndex(const TColumnEh* column) const {
    const auto& cols = activeColumns();
    for (size_t i = 0; i < cols.size(); ++i)
        if (cols[i].get() == column)
            return int(i);
    return -1;
}

void TDBGridEh::rebuildAutoColumns() {
    if (!columns_.empty())
        return;
    autoColumns_.clear();
    db::DataSet* ds = dataSet();
    if (ds == nullptr || !ds->active())
        return;
    for (db::Field* f : ds->fields())
        autoColumns_.push_back(std::make_unique<TColumnEh>(this, f->fieldName()));
}

void TDBGridEh::columnsChanged() {
    resetModel();
}

void TDBGridEh::applyColumns() {
    const auto& cols = activeColumns();
    for (size_t i = 0; i < cols.size(); ++i) {
        const TColumnEh& c = *cols[i];
        setColumnHidden(int(i), !c.Visible);
        horizontalHeader()->resizeSection(int(i), c.Width >= 0 ? c.Width : defaultColWidth_);
    }
    if (autoFit_)
        fitColumns();
    fitTitleHeight();
}

void TDBGridEh::fitTitleHeight() {
    if (!multiLineTitles_)
        return;
    const QFontMetrics metrics(titleFont_.font);
    int height = metrics.height();
    const auto& cols = activeColumns();
    for (size_t i = 0; i < cols.size(); ++i) {
        if (!cols[i]->Visible)
            continue;
        const int width = qMax(1, horizontalHeader()->sectionSize(int(i)) - 6);
        height = qMax(
            height,
            metrics.boundingRect(QRect(0, 0, width, 10000), Qt::TextWordWrap, cols[i]->TitleCaption)
                .height());
    }
    horizontalHeader()->setFixedHeight(height + 6);
}

void TDBGridEh::setMultiLineTitles(bool on) {
    multiLineTitles_ = on;
    if (!on) {
        horizontalHeader()->setMinimumHeight(0);
        horizontalHeader()->setMaximumHeight(QWIDGETSIZE_MAX);
    }
    if (columnCount() > 0)
        Q_EMIT model_->headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
    fitTitleHeight();
}

void TDBGridEh::fitColumns() {
    const auto& cols = activeColumns();
    const int available = viewport()->width();
    int fixed = 0, flexible = 0;
    for (const auto& c : cols) {
        if (!c->Visible)
            continue;
        const int w = c->Width >= 0 ? c->Width : defaultColWidth_;
        (c->isFixedWidth() ? fixed : flexible) += c->isFixedWidth() ? c->MinWidth : w;
    }
    if (flexible <= 0 || available <= fixed)
        return;
    const double scale = double(available - fixed) / flexible;
    int used = fixed, lastFlexible = -1, lastWidth = 0;
    for (size_t i = 0; i < cols.size(); ++i) {
        const TColumnEh& c = *cols[i];
        if (!c.Visible)
            continue;
        int w = c.isFixedWidth()
                    ? c.MinWidth
                    : qMax(8, int((c.Width >= 0 ? c.Width : defaultColWidth_) * scale));
        if (!c.isFixedWidth()) {
            lastFlexible = int(i);
            lastWidth = w;
        }
        horizontalHeader()->resizeSection(int(i), w);
        if (!c.isFixedWidth())
            used += w; // fixed widths are in used already
    }
    if (lastFlexible >= 0 && used != available)
        horizontalHeader()->resizeSection(lastFlexible, qMax(8, lastWidth + available - used));
}

void TDBGridEh::resizeEvent(QResizeEvent* e) {
    QTableView::resizeEvent(e);
    if (autoFit_)
        fitColumns();
    fitTitleHeight();
}

// --- Settings

void TDBGridEh::setOptions(TDBGridOptions options) {
    const bool editorWasOn = options_.testFlags(TDBGridOptions(dgEditing) | dgAlwaysShowEditor);
    options_ = options;
    const bool editorOn = options_.testFlags(TDBGridOptions(dgEditing) | dgAlwaysShowEditor);
    if (editorWasOn && !editorOn)
        commitEditor();
    if (!options_.testFlag(dgEditing))
        closeEditorWithoutCommit();
    applyOptions();
    if (!editorWasOn && editorOn && currentIndex().isValid() && hasFocus())
        edit(currentIndex(), QAbstractItemView::CurrentChanged, nullptr);
    Invalidate();
}

void TDBGridEh::setOptionsEh(TDBGridEhOptions options) {
    optionsEh_ = options;
    Invalidate();
}

void TDBGridEh::applyOptions() {
    horizontalHeader()->setVisible(options_.testFlag(dgTitles));
    verticalHeader()->setVisible(options_.testFlag(dgIndicator));
    horizontalHeader()->setSectionResizeMode(
        options_.testFlag(dgColumnResize) ? QHeaderView::Interactive : QHeaderView::Fixed);
    setShowGrid(options_.testFlag(dgColLines) || options_.testFlag(dgRowLines));
    updateEditTriggers();
}

void TDBGridEh::updateEditTriggers() {
    EditTriggers t = NoEditTriggers;
    if (options_.testFlag(dgEditing)) {
        t = DoubleClicked | EditKeyPressed | AnyKeyPressed | SelectedClicked;
        if (options_.testFlag(dgAlwaysShowEditor))
            t |= CurrentChanged;
    }
    setEditTriggers(t);
}

void TDBGridEh::setDefaultDrawing(bool on) {
    defaultDrawing_ = on;
    Invalidate();
}

void TDBGridEh::setAutoFitColWidths(bool on) {
    autoFit_ = on;
    applyColumns();
}

void TDBGridEh::setColor(const QColor& c) {
    color_ = c;
    Invalidate();
}

void TDBGridEh::setFont(const TFont& f) {
    font_ = f;
    verticalHeader()->setDefaultSectionSize(QFontMetrics(f.font).height() + 4);
    Invalidate();
}

void TDBGridEh::setTitleFont(const TFont& f) {
    titleFont_ = f;
    horizontalHeader()->setFont(f.font);
    fitTitleHeight();
}

void TDBGridEh::Invalidate() {
    viewport()->update();
    verticalHeader()->viewport()->update();
    Q_EMIT repaintRequested();
}

// --- Position

int TDBGridEh::SelectedIndex() const {
    return currentIndex().isValid() ? currentIndex().column() : firstVisibleColumn();
}

void TDBGridEh::setSelectedIndex(int dataCol) {
    if (dataCol < 0 || dataCol >= columnCount())
        return;
    const int row = currentIndex().isValid() ? currentIndex().row() : 0;
    if (row < viewRowCount())
        setCurrentIndex(model_->index(row, dataCol));
}

int TDBGridEh::Col() const {
    return SelectedIndex() + (options_.testFlag(dgIndicator) ? 1 : 0);
}

TColumnEh* TDBGridEh::currentColumn() const {
    return Column(SelectedIndex());
}

db::Field* TDBGridEh::SelectedField() const {
    TColumnEh* c = currentColumn();
    return c != nullptr ? c->Field() : nullptr;
}

int TDBGridEh::firstVisibleColumn() const {
    return nextVisibleColumn(-1, 1);
}

int TDBGridEh::nextVisibleColumn(int col, int step) const {
    for (int c = col + step; c >= 0 && c < columnCount(); c += step)
        if (Column(c)->Visible)
            return c;
    return -1;
}

// --- Rows

int TDBGridEh::viewRowCount() const {
    db::DataSet* ds = dataSet();
    if (ds == nullptr || !ds->active())
        return 0;
    return ds->visibleRowCount();
}

int TDBGridEh::currentDataRow() const {
    db::DataSet* ds = dataSet();
    if (ds == nullptr || !ds->active())
        return -1;
    db::DisplayRowScope cursor(*ds, -1);
    return ds->indexOfBookmark(ds->bookmark());
}

void TDBGridEh::resetModel() {
    const int col = currentIndex().isValid() ? currentIndex().column() : -1;
    // A reset drops the open editor; Qt would then hand the focus to the next widget.
    // The window's own focus widget: the window may be inactive while a notice is up.
    const auto focusInside = [this] {
        QWidget* f = window()->focusWidget();
        return f == this || isAncestorOf(f);
    };
    const bool hadFocus = focusInside();
    syncing_ = true;
    model_->reset();
    syncing_ = false;
    if (hadFocus && !focusInside())
        setFocus(Qt::OtherFocusReason);
    applyColumns();
    if (col >= 0)
        lastCol_ = col;
    syncCurrentRow();
    // The editor that the reset dropped comes back in the current cell.
    if (hadFocus && hasFocus() && !editor_ && currentIndex().isValid() &&
        options_.testFlags(TDBGridOptions(dgEditing) | dgAlwaysShowEditor))
        edit(currentIndex(), CurrentChanged, nullptr);
    viewport()->update();
}

void TDBGridEh::syncCurrentRow() {
    const int row = currentDataRow();
    if (row < 0 || row >= viewRowCount())
        return;
    int col = currentIndex().isValid() ? currentIndex().column() : lastCol_;
    if (col < 0 || col >= columnCount() || !Column(col)->Visible)
        col = firstVisibleColumn();
    if (col < 0)
        return;
    if (currentIndex().row() == row && currentIndex().column() == col)
        return;
    syncing_ = true;
    selectionModel()->setCurrentIndex(model_->index(row, col), QItemSelectionModel::NoUpdate);
    syncing_ = false;
    scrollTo(model_->index(row, col));
}

void TDBGridEh::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    const int before = previous.isValid() ? previous.column() : lastCol_;
    if (current.isValid())
        lastCol_ = current.column();
    if (!syncing_ && current.isValid()) {
        db::DataSet* ds = dataSet();
        if (ds != nullptr && ds->active() && current.row() != currentDataRow()) {
            if (ds->state() == db::DataSetState::Browse)
                ds->setRecNo(current.row() + 1);
            else // a pending edit leaves its row only through a post, in an event handler
                QMetaObject::invokeMethod(
                    this, [this] { syncCurrentRow(); }, Qt::QueuedConnection);
        }
    }
    if (current.isValid() && current.column() != before) {
        controls::runHandler(this, [&] {
            if (before >= 0 && OnColExit)
                OnColExit(this);
            if (OnColEnter)
                OnColEnter(this);
        });
    }
    model_->indicatorChanged(currentDataRow());
    viewport()->update();
}

bool TDBGridEh::cellEditable(int row, int col) const {
    TColumnEh* c = Column(col);
    db::DataSet* ds = dataSet();
    if (c == nullptr || ds == nullptr || !options_.testFlag(dgEditing) || c->cannotEdit())
        return false;
    if (row != currentDataRow())
        return false;
    return ds->state() != db::DataSetState::Browse ||
           (allowed_.testFlag(alopUpdateEh) && ds->canModify());
}

// --- Errors raised later

void TDBGridEh::raiseLater(std::exception_ptr error) {
    controls::postHandlerError(this, std::move(error));
}
