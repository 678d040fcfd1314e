// The grid events component's paste of a copied block, with arbitrary bytes on the clipboard
// in its private format, into a journal-shaped data set that takes new records: keys, a
// looked-up teacher, a sized text, a date and a flag, with the database's own checks.
// Whatever the block holds, the paste never crashes, leaves the data set browsing, and the
// data set shows exactly the rows the database holds, the rows that were there unchanged.
#include "controls/KvDBGridEh.h"
#include "db/Connection.h"
#include "db/DataSet.h"
#include "db/DataSource.h"
#include "db/DatabaseError.h"
#include "gridevents/Kv_DBGrd_Evns.h"
#include "platform/Clipboard.h"
#include "platform/MessageBoxes.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

// Never destroyed: at exit Qt's statics are gone before ours would be.
struct Journal {
    db::Connection connection;
    db::DataSet teachers{db::DataSetKind::Query};
    db::DataSet marks{db::DataSetKind::Query};
    db::DataSource source;
    TKvDBGridEh grid;
    TKvDBGridEvents events;
};
Journal* journal = nullptr;
QStringList kept;

QStringList storedRows();
QStringList shownRows();

void fail(const char* what) {
    std::fprintf(stderr, "clipboard paste: %s\nstored:\n%s\nshown:\n%s\n", what,
                 qPrintable(storedRows().join(QLatin1Char('\n'))),
                 qPrintable(shownRows().join(QLatin1Char('\n'))));
    std::abort();
}

void addField(db::DataSet& ds, const char* name, db::FieldType type, int size = 0,
              bool readOnly = false) {
    db::FieldDef d;
    d.name = QString::fromUtf8(name);
    d.type = type;
    d.size = size;
    d.readOnly = readOnly;
    ds.addFieldDef(d);
}

QString cellText(const QVariant& v) {
    if (v.isNull())
        return QStringLiteral("<null>");
    return v.typeId() == QMetaType::Bool ? QString::number(v.toInt()) : v.toString();
}

// The stored rows as texts, one line per row, in key order.
QStringList storedRows() {
    QStringList lines;
    for (const auto& row :
         journal->connection
             .query(QStringLiteral("SELECT id_mark, id_student, id_teacher, p35, dopusk "
                                   "FROM mark ORDER BY id_mark"))
             .rows) {
        QStringList cells;
        for (const QVariant& v : row)
            cells << cellText(v);
        lines << cells.join(QLatin1Char('|'));
    }
    return lines;
}

// The data set's rows in the same form and order (a pasted record stands where it was
// inserted until the data set is read again).
QStringList shownRows() {
    QStringList lines;
    db::DataSet& ds = journal->marks;
    for (ds.first(); !ds.eof(); ds.next()) {
        QStringList cells;
        for (const char* name : {"id_mark", "id_student", "id_teacher", "p35", "dopusk"}) {
            cells << cellText(ds.fieldByName(QString::fromLatin1(name))->value());
        }
        lines << cells.join(QLatin1Char('|'));
    }
    std::sort(lines.begin(), lines.end(), [](const QString& a, const QString& b) {
        return a.section(QLatin1Char('|'), 0, 0).toLongLong() <
               b.section(QLatin1Char('|'), 0, 0).toLongLong();
    });
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never destroyed either: its exit routines would reach Qt SQL's statics, gone by then.
    new QApplication(*argc, *argv);
    static QTemporaryDir dir;
    platform::setMessageBoxScript(
        [](const platform::MessageBoxRequest&) { return QMessageBox::Yes; });
    journal = new Journal;
    db::Connection& c = journal->connection;
    c.setConnectionString(QStringLiteral("Data Source=") +
                          QDir(dir.path()).filePath(QStringLiteral("journal.sqlite")));
    for (const char* sql : {
             "PRAGMA synchronous = OFF",
             "CREATE TABLE teacher (id_teacher INTEGER PRIMARY KEY, t_fio VARCHAR(60))",
             "CREATE TABLE mark (id_mark INTEGER PRIMARY KEY AUTOINCREMENT, "
             "id_student INTEGER NOT NULL CHECK (typeof(id_student) = 'integer'), "
             "id_exam INTEGER, "
             "id_teacher INTEGER REFERENCES teacher (id_teacher), "
             "p35 VARCHAR(10) CHECK (length(p35) <= 10), "
             "p36 DATETIME CHECK (p36 IS NULL OR datetime(p36) IS NOT NULL), "
             "dopusk BIT CHECK (dopusk IN (0, 1)))",
             "INSERT INTO teacher VALUES (1, 'Иванов И.И.'), (2, 'Петров П.П.')",
             "INSERT INTO mark (id_student, id_exam, id_teacher, p35, p36, dopusk) VALUES "
             "(12, 1, 1, 'x', '2024-01-15 00:00:00', 1), (40, 1, 2, NULL, NULL, 0), "
             "(12, 2, NULL, 'б1', NULL, NULL)",
         })
        c.execute(QString::fromUtf8(sql));

    db::DataSet& teachers = journal->teachers;
    teachers.setConnection(&c);
    teachers.setSql(QStringLiteral("SELECT * FROM teacher ORDER BY id_teacher"));
    db::DataSet& marks = journal->marks;
    marks.setConnection(&c);
    marks.setSql(QStringLiteral("SELECT * FROM mark ORDER BY id_mark"));
    marks.setUpdateTable(QStringLiteral("mark"), QStringLiteral("id_mark"));
    addField(marks, "id_mark", db::FieldType::AutoInc, 0, true);
    addField(marks, "id_student", db::FieldType::Integer);
    addField(marks, "id_exam", db::FieldType::Integer);
    addField(marks, "id_teacher", db::FieldType::Integer);
    db::FieldDef teacher;
    teacher.name = QStringLiteral("teacher");
    teacher.kind = db::FieldKind::Lookup;
    teacher.type = db::FieldType::String;
    teacher.size = 60;
    teacher.lookupDataSet = &teachers;
    teacher.lookupKeyFields = QStringLiteral("id_teacher");
    teacher.lookupResultField = QStringLiteral("t_fio");
    teacher.keyFields = QStringLiteral("id_teacher");
    marks.addFieldDef(teacher);
    addField(marks, "p35", db::FieldType::String, 10);
    addField(marks, "p36", db::FieldType::DateTime);
    addField(marks, "dopusk", db::FieldType::Boolean);
    journal->source.setDataSet(&marks);
    teachers.open();
    marks.open();

    TKvDBGridEh& grid = journal->grid;
    grid.addColumn(QStringLiteral("id_student"), QStringLiteral("Студент"), 60);
    grid.addColumn(QStringLiteral("teacher"), QStringLiteral("Преподаватель"), 150);
    grid.addColumn(QStringLiteral("id_exam"), QStringLiteral("Форм/контр."), 60)->Visible = false;
    grid.addColumn(QStringLiteral("p35"), QStringLiteral("№"), 60);
    grid.addColumn(QStringLiteral("p36"), QStringLiteral("Дата сдачи"), 72);
    grid.addColumn(QStringLiteral("dopusk"), QStringLiteral("Допуск"), 40);
    grid.columnsChanged();
    grid.setDataSource(&journal->source);
    TKvDBGridEvents& events = journal->events;
    events.setDBGridEh(&grid);
    events.setUniqueField(marks.fieldByName(QStringLiteral("id_mark")));
    events.KeyFieldList.Add(marks.fieldByName(QStringLiteral("id_student")));
    events.KeyFieldList.Add(marks.fieldByName(QStringLiteral("id_exam")));
    events.setEditActions(TDBGridEhEditActions(geaCutEh) | geaCopyEh | geaPasteEh | geaDeleteEh |
                          geaSelectAllEh);
    events.setActive(true);
    kept = storedRows();
    if (shownRows() != kept)
        fail("the data set does not show the stored rows before any paste");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    db::DataSet& marks = journal->marks;
    platform::writeClipboardBlock(TKvDBGridEvents::clipboardFormat(),
                                  QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    quint16 key = Qt::Key_V;
    journal->events.GridKeyDown(&journal->grid, key, Qt::ControlModifier);

    if (marks.state() != db::DataSetState::Browse)
        fail("the data set is left editing");
    if (marks.controlsDisabled())
        fail("the data set's controls are left disabled");
    const QStringList stored = storedRows();
    if (stored.mid(0, kept.size()) != kept)
        fail("a row that was there changed");
    if (shownRows() != stored)
        fail("the data set does not show the stored rows");
    if (journal->connection.query(QStringLiteral("PRAGMA foreign_key_check")).rows.size() != 0)
        fail("a pasted row points at no teacher");

    // The next input starts from the same journal.
    journal->connection.execute(QStringLiteral("DELETE FROM mark WHERE id_mark > 3"));
    marks.refresh();
    return 0;
}
