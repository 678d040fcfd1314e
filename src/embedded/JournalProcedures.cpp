// The journal's procedures: preparing rows, reading a selection and restoring deleted rows.
#include "embedded/EmbeddedServer.h"
#include "embedded/JournalColumns.h"
#include "embedded/JournalCondition.h"
#include "embedded/ProcedureCalls.h"
#include "embedded/ProcedureTransaction.h"

namespace embedded {
db::Result EmbeddedServer::insertIntoSortMarkMag(const std::vector<QVariant>& args) {
    ServerScope scope(*this);
    const auto group = integerArgument(args[0]);
    const auto semester = integerArgument(args[1]);
    const auto discipline = integerArgument(args[2]);
    const auto examination = integerArgument(args[3]);
    const auto chosen = integerArgument(args[4]);
    db::Result none;
    none.rowsAffected = 0;
    // Nothing is prepared before a discipline has been chosen, nor for a selection outside
    // the curriculum (the join below finds no rows then).
    if (!group || !semester || !discipline || !examination || chosen.value_or(0) == 0)
        return none;
    ProcedureTransaction transaction(*this);
    db::Result r =
        run(QStringLiteral(
                "INSERT INTO mark_mag (id_group, id_student, id_examination, id_discipline, "
                "id_semester, dopusk_izm, oper, u_date, KEL_User, KEL_Update) "
                "SELECT gs.id_group, gs.id_student, e.id_examination, e.id_discipline, "
                "e.id_semester, 0, substr(CAST(kel_user_id() AS TEXT), 1, 5), kel_now(), "
                "substr(kel_user_login(), 1, 20), kel_today() "
                "FROM educ_sh e JOIN group_student gs ON gs.id_group = e.id_group "
                "WHERE e.id_group = ? AND e.id_semester = ? AND e.id_discipline = ? "
                "AND e.id_examination = ? AND NOT EXISTS (SELECT 1 FROM mark_mag m "
                "WHERE m.id_group = e.id_group AND m.id_semester = e.id_semester "
                "AND m.id_discipline = e.id_discipline AND m.id_examination = e.id_examination "
                "AND m.id_student = gs.id_student)"),
            {*group, *semester, *discipline, *examination});
    transaction.commit();
    return r;
}

namespace {

// Hands the journal's rows on, its key column marked as the server's own.
class JournalRows : public db::RowSink {
public:
    explicit JournalRows(db::RowSink& out)
        : out_(out) {}
    void begin(const std::vector<db::Column>& columns, size_t rowsHint) override {
        std::vector<db::Column> marked = columns;
        for (db::Column& c : marked)
            if (c.name == QLatin1String("id_mark_mag")) {
                c.type = db::FieldType::AutoInc;
                c.readOnly = true;
            }
        out_.begin(marked, rowsHint);
    }
    void row(std::vector<QVariant>& values) override { out_.row(values); }
    // Placing date-times in the zone is most of what converting a journal row costs.
    bool takesStoredDateTimes() const override { return out_.takesStoredDateTimes(); }

private:
    db::RowSink& out_;
};

} // namespace

db::Result EmbeddedServer::sortMarkMag(const std::vector<QVariant>& args, int timeoutSeconds) {
    db::ResultCollector collector;
    sortMarkMag(args, timeoutSeconds, collector);
    return std::move(collector.result);
}

void EmbeddedServer::sortMarkMag(const std::vector<QVariant>& args, int timeoutSeconds,
                                 db::RowSink& sink) {
    ServerScope scope(*this);
    std::vector<QVariant> keys;
    for (int i = 0; i < 4; ++i) {
        const auto key = integerArgument(args[size_t(i)]);
        keys.push_back(key ? QVariant(*key) : QVariant());
    }
    (void)integerArgument(args[4]); // @id_teacher: checked, selects nothing (see README)
    const QString condition = journalCondition(textArgument(args[5]), QStringLiteral("m"));
    // One statement, so one read transaction of its own: no write lock, readers never wait.
    JournalRows journal(sink);
    SqliteDriver::query(QStringLiteral("SELECT ") + journalColumnList(QStringLiteral("m.")) +
                            QStringLiteral(" FROM mark_mag m "
                                           "LEFT JOIN s_fio s ON s.id_student = m.id_student "
                                           "WHERE m.id_group = ? AND m.id_semester = ? "
                                           "AND m.id_discipline = ? AND m.id_examination = ? "
                                           "AND (") +
                            condition +
                            QStringLiteral(") ORDER BY s.s_fio COLLATE KEL_CI, m.id_mark_mag"),
                        keys, timeoutSeconds, journal);
}

db::Result EmbeddedServer::ctrlZMarkMag(const std::vector<QVariant>& args) {
    ServerScope scope(*this);
    const auto group = integerArgument(args[0]);
    const auto semester = integerArgument(args[1]);
    db::Result none;
    none.rowsAffected = 0;
    if (!group || !semester)
        return none;
    ProcedureTransaction transaction(*this);
    db::Result r = run(QStringLiteral("INSERT INTO mark_mag (") + journalColumnList() +
                           QStringLiteral(") SELECT ") + journalColumnList() +
                           QStringLiteral(" FROM DEL_mark_mag WHERE id_group = ? "
                                          "AND id_semester = ? AND Check_ch = 1"),
                       {*group, *semester});
    run(QStringLiteral("DELETE FROM DEL_mark_mag WHERE id_group = ? AND id_semester = ? "
                       "AND Check_ch = 1"),
        {*group, *semester});
    transaction.commit();
    return r;
}

} // namespace embedded
