// A data set: rows of one statement held in the client, with fields, navigation, editing,
// client-side sort and filter, and write-back to one update table.
#pragma once

#include "db/Connection.h"
#include "db/DatabaseError.h"
#include "db/Field.h"
#include "db/Parameter.h"

#include <QHashFunctions>
#include <QObject>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

namespace db {

class DataSource;

enum class DataSetKind { Query, Table, StoredProc };
enum class DataSetState { Inactive, Browse, Edit, Insert, CalcFields };
// The outcome of a failed post, edit or delete, chosen by the error handler.
enum class DataAction { Fail, Abort, Retry };

// Identifies one row for as long as the row exists; survives sort, filter and refresh.
struct Bookmark {
    quint64 id = 0;
    bool isNull() const { return id == 0; }
    friend bool operator==(Bookmark a, Bookmark b) { return a.id == b.id; }
    friend size_t qHash(Bookmark b, size_t seed = 0) { return ::qHash(b.id, seed); }
};

class DataSet : public QObject {
    Q_OBJECT
public:
    using Notify = std::function<void(DataSet&)>;
    using ErrorEvent = std::function<void(DataSet&, const DatabaseError&, DataAction&)>;

    DataSet(DataSetKind kind, QObject* parent = nullptr);
    ~DataSet() override;

    DataSetKind kind() const;
    Connection* connection() const;
    void setConnection(Connection* c);

    // --- What the data set reads
    QString sql() const;              // Query; ":name" parameters allowed
    void setSql(const QString& text); // closes nothing; takes effect on open
    QString tableName() const;        // Table
    void setTableName(const QString& name);
    QString procedureName() const; // StoredProc, e.g. "SORT_MARK_MAG;1"
    void setProcedureName(const QString& name);
    Parameters& parameters();
    int commandTimeout() const;
    void setCommandTimeout(int seconds);

    // --- Where edits are written: table and key column (no table: the data set is read-only)
    void setUpdateTable(const QString& table, const QString& keyField);
    QString updateTable() const;
    QString updateKeyField() const;

    // --- Fields. Persistent definitions are kept across opens; without them, the result's
    // columns become fields on each open.
    void addFieldDef(const FieldDef& def);
    void clearFieldDefs();
    bool hasPersistentFields() const;
    int fieldCount() const;
    Field* field(int index) const;                 // throws DatabaseError when out of range
    Field* findField(const QString& name) const;   // case-insensitive; nullptr when none
    Field* fieldByName(const QString& name) const; // throws DatabaseError naming it
    const std::vector<Field*>& fields() const;

    // --- Life
    void open();
    void close();
    void refresh(); // re-read, keep the current row by key (or position)
    // Reads the current row's data columns again from the update table by its key, so that it
    // shows what the database holds; false when the row is no longer there. A row whose write
    // found it changed by someone else is read again this way when its edit is cancelled.
    bool rereadRow();
    // The last post lost the link while writing, and the row read again on a new connection
    // showed that the server had stored it.
    bool lastPostSurvivedLostLink() const;
    void requery() { refresh(); }
    // Runs the statement (Query) without expecting rows; returns rows changed.
    int execSql();
    // Runs the stored procedure without opening the data set.
    void execProc();
    bool active() const;
    DataSetState state() const;
    bool isEmpty() const { return recordCount() == 0; }

    // --- Navigation over the visible rows (sort and filter applied)
    void first();
    void last();
    void next();
    void prior();
    bool eof() const;
    bool bof() const;
    int recNo() const;        // 1-based; -1 when none (or while inserting a new row)
    void setRecNo(int recNo); // out of range: stays where it is
    int recordCount() const;  // under the active filter
    // Moves by a number of rows; returns how far it moved.
    int moveBy(int distance);

    Bookmark bookmark() const;
    QString bookmarkString() const; // the bookmark as text ("" when none)
    bool bookmarkValid(Bookmark b) const;
    void gotoBookmark(Bookmark b); // throws DatabaseError when not valid
    void gotoBookmarkString(const QString& b);
    Bookmark bookmarkFromString(const QString& s) const;
    // Finds the first row whose field equals the value; moves there and returns true.
    bool locate(const QString& fieldName, const QVariant& value);
    // The value of a field in the row with a bookmark, without moving.
    QVariant valueAt(Bookmark b, const QString& fieldName) const;

    // --- Editing
    void edit();
    void insert();
    void append();
    void post();
    void cancel();
    void deleteRecord();
    bool modified() const;
    bool canModify() const;

    // --- Client-side sort (stable; lost on the next open) and filter
    void sortBy(const QString& fieldName, bool ascending = true);
    QString sortField() const;
    QString filter() const;
    void setFilter(const QString& text); // throws DatabaseError when the parser refuses it
    bool filtered() const;
    void setFiltered(bool on);

    // --- Controls
    void disableControls();
    void enableControls();
    bool controlsDisabled() const;

    // --- Events: plain members, read, saved, replaced and restored by anyone.
    Notify beforeOpen, afterOpen, beforeClose, afterClose;
    Notify beforeInsert, afterInsert, beforeEdit, afterEdit;
    Notify beforePost, afterPost, beforeCancel, afterCancel;
    Notify beforeDelete, afterDelete, afterScroll, onNewRecord;
    Notify onCalcFields;
    // Run right after the row's write, in one transaction with it: what they write is stored
    // with the row or not at all, and a failure in them takes the row's write back.
    Notify whilePosting, whileDeleting;
    ErrorEvent onPostError, onEditError, onDeleteError;

    // --- For grids
    // The row under the cursor of a painting grid: reading fields reads this row. -1: none.
    // Returns the previous one, so callers can restore it.
    int setDisplayRow(int visibleIndex);
    // Which visible row a bookmark stands at, or -1.
    int indexOfBookmark(Bookmark b) const;
    // Rows a grid shows: the visible rows, a row being inserted included.
    int visibleRowCount() const;
    // The bookmark of a visible row (null when out of range).
    Bookmark bookmarkAt(int visibleIndex) const;

Q_SIGNALS:
    void destroyedDataSet();

private:
    friend class Field;
    friend class DataSource;
    friend class FilterRowReader;
    struct Private;

    // Fields and data sources
    QVariant fieldValue(const Field& f) const;
    QVariant fieldOldValue(const Field& f) const;
    void setFieldValue(Field& f, const QVariant& v);
    void attachSource(DataSource* s);
    void detachSource(DataSource* s);

    std::unique_ptr<Private> d;
};

// Makes field reads see one visible row (a painting grid's row) for the life of the guard.
class DisplayRowScope {
public:
    DisplayRowScope(DataSet& ds, int visibleIndex)
        : ds_(ds)
        , previous_(ds.setDisplayRow(visibleIndex)) {}
    ~DisplayRowScope() { ds_.setDisplayRow(previous_); }
    DisplayRowScope(const DisplayRowScope&) = delete;
    DisplayRowScope& operator=(const DisplayRowScope&) = delete;

private:
    DataSet& ds_;
    int previous_;
};

// Keeps a data set's controls disabled for the life of the guard.
class ControlsDisabled {
public:
    explicit ControlsDisabled(DataSet& ds)
        : ds_(ds) {
        ds_.disableControls();
    }
    ~ControlsDisabled() { ds_.enableControls(); }
    ControlsDisabled(const ControlsDisabled&) = delete;
    ControlsDisabled& operator=(const ControlsDisabled&) = delete;

private:
    DataSet& ds_;
};

} // namespace db
