// Stress runs of the embedded server across processes:
//   kel-stress edits N   two processes make N conflicting edits of the same journal rows as
//                        two users and prints "edits: N, refused: R, lost: L"
//   kel-stress crash N   kills a writing process N times at random moments and checks the
//                        file's integrity after each kill
#include "StressDatabase.h"

#include "db/Connection.h"
#include "db/DatabaseError.h"
#include "embedded/EmbeddedServer.h"
#include "embedded/ServerAdmin.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>

namespace {

constexpr int JournalRows = 4;

std::unique_ptr<db::Connection> connect(const QString& connectionText) {
    auto c = std::make_unique<db::Connection>();
    c->setDriverFactory(embedded::driverFactory());
    c->setConnectionString(connectionText);
    c->open();
    return c;
}

// One editor: reads a row's p35 and writes a new value on the condition that it is still
// the one read, as the client does; prints "ok row old new" or "refused" for each edit.
int editor(const QString& connectionText, const QString& tag, int edits) {
    auto c = connect(connectionText);
    QTextStream out(stdout);
    for (int k = 0; k < edits; ++k) {
        const int row = 1 + int(QRandomGenerator::global()->bounded(JournalRows));
        const QVariant old =
            c->query(QStringLiteral("SELECT p35 FROM mark_mag WHERE id_mark_mag = ?"), {row})
                .rows.at(0)
                .at(0);
        const QString value = QStringLiteral("%1-%2").arg(tag).arg(k);
        int written = 0;
        try {
            written = c->execute(
                QStringLiteral("UPDATE mark_mag SET p35 = ? WHERE id_mark_mag = ? AND p35 IS ?"),
                {value, row, old});
        } catch (const db::DatabaseError&) {
            written = 0; // the other writer held the lock: not saved, as the user is told
        }
        if (written == 1)
            out << "ok " << row << ' ' << (old.isNull() ? QStringLiteral("-") : old.toString())
                << ' ' << value << Qt::endl;
        else
            out << "refused" << Qt::endl;
    }
    return 0;
}

int edits(const QString& self, int total) {
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("stress.sqlite"));
    const auto logins = stress::makeDatabase(path, JournalRows);
    QProcess editors[2];
    for (int i = 0; i < 2; ++i)
        editors[i].start(self, {QStringLiteral("editor"), stress::connectionText(path, logins[i]),
                                QStringLiteral("w%1").arg(i), QString::number(total / 2)});
    // Per row, the successful writes must form one chain from NULL to the final value: a
    // write that no later write read, other than the last, was overwritten unseen.
    QHash<int, QHash<QString, QString>> next; // row -> old -> new
    int refused = 0, written = 0, lost = 0;
    for (auto& e : editors) {
        e.waitForFinished(-1);
        for (const QByteArray& line : e.readAllStandardOutput().split('\n')) {
            const QList<QByteArray> f = line.split(' ');
            if (f.value(0) == "refused") {
                ++refused;
            } else if (f.value(0) == "ok" && f.size() == 4) {
                ++written;
                auto& chain = next[f[1].toInt()];
                if (chain.contains(QString::fromUtf8(f[2])))
                    ++lost; // two writes based on the same value
                chain.insert(QString::fromUtf8(f[2]), QString::fromUtf8(f[3]));
            }
        }
    }
    embedded::ServerAdmin admin(path);
    for (int row = 1; row <= JournalRows; ++row) {
        const QVariant final =
            admin.exec(QStringLiteral("SELECT p35 FROM mark_mag WHERE id_mark_mag = ?"), {row})
                .rows.at(0)
                .at(0);
        int walked = 0;
        QString at = QStringLiteral("-");
        const auto& chain = next[row];
        while (chain.contains(at) && walked <= chain.size()) {
            at = chain.value(at);
            ++walked;
        }
        lost += int(chain.size()) - walked;
        if ((final.isNull() ? QStringLiteral("-") : final.toString()) != at)
            ++lost;
    }
    std::printf("edits: %d, refused: %d, lost: %d\n", written + refused, refused, lost);
    return lost == 0 && written + refused == total / 2 * 2 ? 0 : 1;
}

// A writer that never stops: edits, audit records and deletions with their restores, in
// transactions; prints one line per commit.
int writer(const QString& connectionText) {
    auto c = connect(connectionText);
    QTextStream out(stdout);
    for (int k = 0;; ++k) {
        try {
            c->execute(QStringLiteral("UPDATE mark_mag SET p35 = ?, primech = ?"),
                       {QString::number(k), QString(40, QLatin1Char('x'))});
            c->execute(QStringLiteral("INSERT INTO KEL_LOG([table], [row_id], [descr], "
                                      "[KEL_User], [comp]) VALUES('mark_mag', 1, ?, 'u', 'c')"),
                       {QString(3000, QChar(0x0436))});
            out << k << Qt::endl;
        } catch (const db::DatabaseError& e) {
            std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        }
    }
}

int crashes(const QString& self, int kills) {
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("stress.sqlite"));
    const auto logins = stress::makeDatabase(path, JournalRows);
    int clean = 0;
    for (int i = 0; i < kills; ++i) {
        QProcess w;
        w.start(self, {QStringLiteral("writer"), stress::connectionText(path, logins[0])});
        // Kill after a random number of commits, so that the kill falls anywhere in a write.
        const int commits = 1 + int(QRandomGenerator::global()->bounded(20));
        int seen = 0;
        while (seen < commits && w.waitForReadyRead(30000))
            seen += int(w.readAllStandardOutput().count('\n'));
        w.kill();
        w.waitForFinished(-1);
        embedded::ServerAdmin admin(path);
        const QString verdict =
            admin.exec(QStringLiteral("PRAGMA integrity_check")).rows.at(0).at(0).toString();
        if (verdict == QLatin1String("ok"))
            ++clean;
        else
            std::printf("kill %d: %s\n", i + 1, qPrintable(verdict));
    }
    std::printf("kills: %d, integrity ok: %d\n", kills, clean);
    return clean == kills ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    const QString self = QCoreApplication::applicationFilePath();
    if (a.size() == 5 && a[1] == QLatin1String("editor"))
        return editor(a[2], a[3], a[4].toInt());
    if (a.size() == 3 && a[1] == QLatin1String("writer"))
        return writer(a[2]);
    if (a.size() == 3 && a[1] == QLatin1String("edits"))
        return edits(self, a[2].toInt());
    if (a.size() == 3 && a[1] == QLatin1String("crash"))
        return crashes(self, a[2].toInt());
    std::fprintf(stderr, "usage: kel-stress edits N | kel-stress crash N\n");
    return 2;
}
