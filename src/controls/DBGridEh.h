// The data-aware grid: a table view over one data set, painted by rows read in place.
#pragma once

#include "controls/DBGridColumn.h"
#include "controls/DBGridSelection.h"
#include "controls/Graphics.h"
#include "controls/GridTypes.h"
#include "db/DataSet.h"
#include "db/DataSource.h"

#include <QPointer>
#include <QTableView>

#include <exception>
#include <memory>
#include <vector>

namespace controls {
class DBGridModel;
class DBGridDelegate;
} // namespace controls

// Rows are read through the data set's display row, so painting never moves its cursor
// and costs the same for any number of rows. The current row of the view is the data
// set's current row; leaving a row posts its pending edit, and a post that fails keeps
// the row current and passes the error on.
class TDBGridEh : public QTableView {
    Q_OBJECT
public:
    explicit TDBGridEh(QWidget* parent = nullptr);
    ~TDBGridEh() override;

    // --- Data
    db::DataSource* DataSource() const { return source_; }
    void setDataSource(db::DataSource* source);
    db::DataSet* dataSet() const;

    // --- Columns. Without columns of its own the grid shows one per field.
    TColumnEh* addColumn(const QString& fieldName, const QString& title = QString(),
                         int width = -1);
    void clearColumns();
    int columnCount() const { return int(activeColumns().size()); }
    TColumnEh* Column(int index) const;
    int columnIndex(const TColumnEh* column) const;
    // Call after changing column settings, so the view takes them over.
    void columnsChanged();

    // --- Settings
    TDBGridOptions Options() const { return options_; }
    void setOptions(TDBGridOptions options);
    TDBGridEhOptions OptionsEh() const { return optionsEh_; }
    void setOptionsEh(TDBGridEhOptions options);
    TDBGridEhAllowedOperations AllowedOperations() const { return allowed_; }
    void setAllowedOperations(TDBGridEhAllowedOperations ops) { allowed_ = ops; }
    TDBGridEhEditActions EditActions() const { return editActions_; }
    void setEditActions(TDBGridEhEditActions actions) { editActions_ = actions; }
    bool DefaultDrawing() const { return defaultDrawing_; }
    void setDefaultDrawing(bool on);
    bool AutoFitColWidths() const { return autoFit_; }
    void setAutoFitColWidths(bool on);
    int DefaultColWidth() const { return defaultColWidth_; }
    QColor Color() const { return color_; }
    void setColor(const QColor& c);
    TFont Font() const { return font_; }
    void setFont(const TFont& f);
    TFont TitleFont() const { return titleFont_; }
    void setTitleFont(const TFont& f);
    // Titles wrap at word boundaries within their columns; the title row grows to the
    // tallest of them.
    bool MultiLineTitles() const { return multiLineTitles_; }
    void setMultiLineTitles(bool on);

    // --- Selection and position
    TBMListEh& SelectedRows() { return selected_; }
    const TBMListEh& SelectedRows() const { return selected_; }
    // The current column among the data columns, and counted with the indicator as 0.
    int SelectedIndex() const;
    void setSelectedIndex(int dataCol);
    int Col() const;
    db::Field* SelectedField() const;
    TColumnEh* currentColumn() const;

    // --- Drawing
    TCanvas& Canvas() { return canvas_; }
    // Fills Rect with the canvas brush and draws the cell's text (or check box) on it.
    void DefaultDrawColumnCell(const QRect& Rect, int DataCol, TColumnEh* Column,
                               TGridDrawState State);
    // Asks for a repaint of the data cells.
    void Invalidate();

    // --- Events
    TDrawColumnEhCellEvent OnDrawColumnCell;
    TGetCellEhParamsEvent OnGetCellParams;
    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;
    TKeyEvent OnKeyUp;
    TMouseEvent OnMouseDown;
    TNotifyEvent OnColEnter;
    TNotifyEvent OnColExit;

    // --- Used by the model and the delegate
    void paintCell(QPainter* painter, const QRect& rect, int row, int col);
    int viewRowCount() const;
    // The visible index of the data set's cursor (a row being inserted included), or -1.
    int currentDataRow() const;
    bool cellEditable(int row, int col) const;
    // The field a column's edit writes: a lookup's key field, any other field itself.
    static db::Field* writtenField(db::Field* field);
    // Stores an edited value through the column's update event. Throws on failure.
    void storeValue(int col, const QVariant& value, bool useText);
    // Stores an editor's value in column col's field unless it is what the editor opened
    // with. The one way an edit enters the data set. Throws on failure.
    void storeEditor(QWidget* editor, int col);
    // The user changed the editor's value.
    void editorModified(QWidget* editor);
    // The editor was given its field's value.
    void editorLoaded(QWidget* editor);
    // Stores the open editor's value and closes it, as leaving the cell does.
    void commitPendingEdit();
    // The editor open in the current cell, if any.
    QWidget* InplaceEditor() const { return editor_; }
    // Key and focus events of an in-place editor; true when the grid took the event.
    bool editorEvent(QWidget* editor, QEvent* event);
    void editorCreated(QWidget* editor);
    // Passes an error on to the application object from an event of its own.
    void raiseLater(std::exception_ptr error);

Q_SIGNALS:
    void repaintRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    const std::vector<std::unique_ptr<TColumnEh>>& activeColumns() const;
    void rebuildAutoColumns();
    void applyColumns();
    void fitColumns();
    void fitTitleHeight();
    void applyOptions();
    void connectSource();
    void resetModel();
    void syncCurrentRow();
    void updateEditTriggers();

    // The event handlers' work; their errors go on to the application object.
    void keyPress(QKeyEvent* e);
    void keyRelease(QKeyEvent* e);
    void mousePress(QMouseEvent* e);
    void focusOut(QFocusEvent* e);
    // Navigation and editing, run in event handlers so errors reach the application.
    bool handleKey(QKeyEvent* e, bool fromEditor);
    void moveToRow(int row, bool clearSelection);
    void moveToCell(int row, int col, bool clearSelection);
    void leaveRow();
    void nextCell(bool backwards);
    void commitEditor();
    void closeEditorWithoutCommit();
    void cancelOrCloseEditor();
    void toggleCheckbox(int row, int col);
    void deleteCurrentRecord();
    void indicatorPress(QMouseEvent* e);
    void openFindDialog();
    int firstVisibleColumn() const;
    int nextVisibleColumn(int col, int step) const;

    QPointer<db::DataSource> source_;
    std::vector<QMetaObject::Connection> sourceConnections_;
    controls::DBGridModel* model_;
    controls::DBGridDelegate* delegate_;
    std::vector<std::unique_ptr<TColumnEh>> columns_;
    std::vector<std::unique_ptr<TColumnEh>> autoColumns_;
    TBMListEh selected_;
    TCanvas canvas_;
    QPointer<QWidget> editor_;
    TDBGridOptions options_ = TDBGridOptions(dgEditing) | dgTitles | dgIndicator | dgColumnResize |
                              dgColLines | dgRowLines | dgTabs | dgConfirmDelete | dgCancelOnExit;
    TDBGridEhOptions optionsEh_ =
        TDBGridEhOptions(dghFixed3D) | dghHighlightFocus | dghClearSelection;
    TDBGridEhAllowedOperations allowed_ =
        TDBGridEhAllowedOperations(alopInsertEh) | alopUpdateEh | alopDeleteEh | alopAppendEh;
    TDBGridEhEditActions editActions_;
    bool defaultDrawing_ = true;
    bool autoFit_ = false;
    bool multiLineTitles_ = false;
    int defaultColWidth_ = 64;
    QColor color_;
    TFont font_;
    TFont titleFont_;
    bool syncing_ = false;
    bool forwarding_ = false;
    int lastCol_ = -1;
    int shiftAnchor_ = -1;
};
