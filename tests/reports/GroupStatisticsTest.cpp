// Group statistics read from the embedded server by the signed-in user's own connection,
// against counts made by hand; and the window that shows them.
#include "reports/GroupStatistics.h"
#include "ReadBack.h"
#include "platform/FileDialogs.h"
#include "reports/CsvWriter.h"
#include "reports/GroupStatisticsDialog.h"
#include "reports/SheetTable.h"
#include "reports/XlsxWriter.h"
#include "support/KeyboardFixture.h"

#include "data/Unit_2_1.h"

#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>

namespace {

class GroupStatisticsRead : public testsupport::MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        asOwner({QStringLiteral("INSERT INTO estimation VALUES(4, 'хорошо'), (9, 'н/я'), "
                                "(12, 'зачтено')")});
        openMainWindow();
    }

    // Replaces the journal rows: "student exam mark" triples of group 5, discipline 11,
    // semester 2 unless a semester is given; 0 as mark for none.
    void marks(std::initializer_list<std::array<int, 4>> rows) {
        std::vector<QString> sql{QStringLiteral("DELETE FROM mark_mag")};
        for (const auto& [student, exam, mark, semester] : rows)
            sql.push_back(QStringLiteral("INSERT INTO mark_mag(id_group, id_student, "
                                         "id_examination, id_estimation, id_discipline, "
                                         "id_semester) VALUES(5, %1, %2, %3, 11, %4)")
                              .arg(student)
                              .arg(exam)
                              .arg(mark == 0 ? QStringLiteral("NULL") : QString::number(mark))
                              .arg(semester == 0 ? 2 : semester));
        asOwner(sql);
    }

    static QStringList students(const reports::GroupStatistics& st) {
        QStringList out;
        for (const auto& s : st.students)
            out << QStringLiteral("%1|%2|%3|%4")
                       .arg(s.student)
                       .arg(s.marks)
                       .arg(s.debts)
                       .arg(s.average ? QString::number(*s.average, 'f', 2) : QStringLiteral("-"));
        return out;
    }

    static QStringList disciplines(const reports::GroupStatistics& st) {
        QStringList out;
        for (const auto& d : st.disciplines) {
            QStringList counts;
            for (const auto& [mark, n] : d.counts)
                counts << mark + QLatin1Char('=') + QString::number(n);
            const auto share = d.debtShare();
            out << QStringLiteral("%1 %2|%3|%4")
                       .arg(d.discipline, d.formOfControl, counts.join(QLatin1Char(',')),
                            share ? QString::number(*share, 'f', 2) : QStringLiteral("-"));
        }
        return out;
    }
};

TEST_F(GroupStatisticsRead, CountsMatchTheHandMadeOnes) {
    struct Case {
        const char* name;
        std::initializer_list<std::array<int, 4>> rows;
        QStringList students;
        QStringList disciplines;
        QStringList distribution;
    };
    const Case cases[] = {
        {"no journal rows",
         {},
         {"Андреев Андрей|0|0|-", "Петров Пётр|0|0|-", "Яковлев Яков|0|0|-"},
         {},
         {}},
        {"rows without marks",
         {{7, 1, 0, 0}, {8, 1, 0, 0}},
         {"Андреев Андрей|0|0|-", "Петров Пётр|0|0|-", "Яковлев Яков|0|0|-"},
         {"Математика Экзамен||-"},
         {}},
        {"all debts, one not taking the discipline",
         {{7, 1, 8, 0}, {8, 1, 9, 0}, {9, 1, 25, 0}},
         {"Андреев Андрей|1|1|-", "Петров Пётр|1|1|2.00", "Яковлев Яков|0|0|-"},
         {"Математика Экзамен|неуд.=1,н/я=1,не изучает=1|1.00"},
         {"неуд.=1", "н/я=1"}},
        {"mixed, two forms of control, another semester left out",
         {{7, 1, 5, 0},
          {8, 1, 3, 0},
          {9, 1, 8, 0},
          {7, 2, 12, 0},
          {8, 2, 8, 0},
          {9, 2, 0, 0},
          {7, 1, 4, 3}},
         {"Андреев Андрей|2|1|2.50", "Петров Пётр|2|0|5.00", "Яковлев Яков|1|1|2.00"},
         {"Математика Зачёт|неуд.=1,зачтено=1|0.50",
          "Математика Экзамен|отлично=1,удовл.=1,неуд.=1|0.33"},
         {"отлично=1", "удовл.=1", "неуд.=2", "зачтено=1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        marks(c.rows);
        const reports::GroupStatistics st = reports::readGroupStatistics(dataModule->ADO_TAZ, 5, 2);
        EXPECT_EQ(students(st), c.students) << students(st).join('\n').toStdString();
        EXPECT_EQ(disciplines(st), c.disciplines) << disciplines(st).join('\n').toStdString();
        QStringList distribution;
        for (const auto& [mark, n] : st.distribution)
            distribution << mark + QLatin1Char('=') + QString::number(n);
        EXPECT_EQ(distribution, c.distribution) << distribution.join(',').toStdString();
    }
}

// A saved XLSX's first sheet as rows of cell texts, shared strings looked up, as a
// spreadsheet program reads it.
QList<QStringList> xlsxRows(const QString& path) {
    const QByteArray out = reportstest::run(
        QStringLiteral("python3"),
        {QStringLiteral("-c"),
         QStringLiteral(
             "import re, sys, zipfile, xml.etree.ElementTree as E\n"
             "z = zipfile.ZipFile(sys.argv[1])\n"
             "n = '{http://schemas.openxmlformats.org/spreadsheetml/2006/main}'\n"
             "ss = [''.join(t.text or '' for t in si.iter(n + 't'))\n"
             "      for si in E.fromstring(z.read('xl/sharedStrings.xml')).iter(n + 'si')]\n"
             "for row in E.fromstring(z.read('xl/worksheets/sheet1.xml')).iter(n + 'row'):\n"
             "    cells = {}\n"
             "    for c in row.iter(n + 'c'):\n"
             "        col = re.match('[A-Z]+', c.get('r')).group(0)\n"
             "        i = sum((ord(ch) - 64) * 26 ** k for k, ch in enumerate(reversed(col)))\n"
             "        v = c.find(n + 'v')\n"
             "        t = '' if v is None else v.text\n"
             "        cells[i] = ss[int(t)] if c.get('t') == 's' else t\n"
             "    top = max(cells) if cells else 0\n"
             "    print('\\t'.join(cells.get(i, '') for i in range(1, top + 1)))\n"),
         path});
    QList<QStringList> rows;
    for (const QString& line : QString::fromUtf8(out).split(u'\n', Qt::SkipEmptyParts))
        rows << line.split(u'\t');
    return rows;
}

// The rows below the discipline part's title row, as "discipline|form|marks|share".
QStringList disciplinePart(const QList<QStringList>& rows) {
    QStringList out;
    bool inPart = false;
    for (const QStringList& row : rows) {
        if (row.value(0) == QStringLiteral("Дисциплина")) {
            EXPECT_EQ(row.value(3), QStringLiteral("Доля задолженностей, %"));
            inPart = true;
            continue;
        }
        if (inPart && !row.join(QString()).isEmpty())
            out << row.mid(0, 4).join(u'|');
    }
    EXPECT_TRUE(inPart) << "no discipline part";
    return out;
}

// The share of debts is a per-cent figure under its per-cent heading, in the table, in the
// window and in both saved files.
TEST_F(GroupStatisticsRead, DebtSharesArePerCentsInTheTableTheWindowAndTheFiles) {
    marks({{7, 1, 5, 0},
           {8, 1, 3, 0},
           {9, 1, 8, 0},
           {7, 2, 12, 0},
           {8, 2, 8, 0},
           {9, 2, 25, 0},
           {7, 1, 9, 3}});
    asOwner({QStringLiteral("INSERT INTO mark_mag(id_group, id_student, id_examination, "
                            "id_estimation, id_discipline, id_semester) VALUES "
                            "(5, 7, 1, 9, 12, 2), (5, 8, 1, 8, 12, 2), (5, 9, 1, NULL, 12, 2)")});
    const reports::GroupStatistics st = reports::readGroupStatistics(dataModule->ADO_TAZ, 5, 2);
    // Математика: Экзамен one debt of three (33.3), Зачёт one of two (50, "не изучает" aside);
    // Физика: two of two (100), one row without a mark.
    const struct {
        const char* discipline;
        const char* form;
        double share;
    } expected[] = {
        {"Математика", "Зачёт", 50.0},
        {"Математика", "Экзамен", 100.0 / 3},
        {"Физика", "Экзамен", 100.0},
    };

    const reports::SheetTable table = reports::groupStatisticsTable(st);
    testsupport::TempDir dir;
    const QString xlsx = dir.path(QStringLiteral("stat.xlsx"));
    {
        QFile f(xlsx);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(reports::toXlsx(table));
    }
    const QByteArray csv = reports::toCsv(table);
    ASSERT_TRUE(csv.startsWith("\xEF\xBB\xBF"));
    const struct {
        const char* where;
        QStringList rows;
    } outputs[] = {
        {"CSV", disciplinePart(reportstest::parseCsv(QString::fromUtf8(csv.mid(3))))},
        {"XLSX", disciplinePart(xlsxRows(xlsx))},
    };
    for (const auto& o : outputs) {
        SCOPED_TRACE(o.where);
        ASSERT_EQ(o.rows.size(), qsizetype(std::size(expected))) << o.rows.join('\n').toStdString();
        for (size_t i = 0; i < std::size(expected); ++i) {
            const QStringList cells = o.rows[qsizetype(i)].split(u'|');
            EXPECT_EQ(cells.value(0), QString::fromUtf8(expected[i].discipline));
            EXPECT_EQ(cells.value(1), QString::fromUtf8(expected[i].form));
            EXPECT_FALSE(cells.value(2).isEmpty()) << "the marks given";
            bool ok = false;
            const double share = QString(cells.value(3)).replace(u',', u'.').toDouble(&ok);
            ASSERT_TRUE(ok) << cells.value(3).toStdString();
            EXPECT_NEAR(share, expected[i].share, 0.051) << cells.value(3).toStdString();
        }
    }
    EXPECT_EQ(disciplinePart(reportstest::parseCsv(QString::fromUtf8(csv.mid(3)))).value(1),
              QStringLiteral("Математика|Экзамен|отлично: 1, удовл.: 1, неуд.: 1|33,30"))
        << "the whole line, as a spreadsheet in a Russian locale reads it";

    // The window's table shows the same figures.
    reports::GroupStatisticsDialog dialog(st);
    QTableWidget* t = dialog.disciplinesTable();
    ASSERT_EQ(t->rowCount(), int(std::size(expected)));
    EXPECT_EQ(t->horizontalHeaderItem(3)->text(), QStringLiteral("Доля задолженностей"));
    for (int r = 0; r < t->rowCount(); ++r) {
        SCOPED_TRACE(r);
        EXPECT_EQ(t->item(r, 0)->text(), QString::fromUtf8(expected[r].discipline));
        EXPECT_EQ(t->item(r, 1)->text(), QString::fromUtf8(expected[r].form));
        EXPECT_EQ(t->item(r, 3)->text(),
                  QLocale().toString(expected[r].share, 'f', 1) + QStringLiteral(" %"));
    }
}

class GroupStatisticsWindow : public testsupport::KeyboardFixture {};

// The bars stand in the order of the marks whatever the order of the rows, and every label is
// whole in the room its bar has, on a window that takes a good share of the screen.
TEST(GroupStatisticsChart, BarsInTheMarksOrderLabelsWholeWindowLarge) {
    const char* given[] = {"не аттестован", "неудовлетворительно", "зачтено", "хорошо",
                           "не допущен",    "удовлетворительно",   "неявка",  "отлично",
                           "не зачтено"};
    std::vector<reports::StatisticsRow> rows;
    qint32 id = 0;
    for (const char* name : given)
        rows.push_back({++id, QStringLiteral("Студент %1").arg(id), QStringLiteral("Математика"),
                        QStringLiteral("Экзамен"), 30 + id, QString::fromUtf8(name)});
    reports::GroupStatisticsDialog dialog(reports::computeGroupStatistics(rows));
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    const QRect available = dialog.screen()->availableGeometry();
    EXPECT_GE(dialog.width(), available.width() * 7 / 10);
    EXPECT_GE(dialog.height(), available.height() * 8 / 10);
    EXPECT_TRUE(available.contains(dialog.geometry()));

    const reports::MarkDistributionChart* chart = dialog.chart();
    QStringList order;
    for (const auto& [mark, n] : chart->distribution())
        order << mark;
    EXPECT_EQ(order,
              (QStringList{"отлично", "хорошо", "удовлетворительно", "неудовлетворительно",
                           "зачтено", "не зачтено", "неявка", "не допущен", "не аттестован"}));
    for (int i = 0; i < order.size(); ++i) {
        SCOPED_TRACE(order[i].toStdString());
        const QRect room = chart->labelRect(i);
        const QFontMetrics metrics(chart->labelFont(i));
        for (const QString& word : order[i].split(u' '))
            EXPECT_LE(metrics.horizontalAdvance(word), room.width()) << "a word cut";
        const QRect needed = metrics.boundingRect(
            room, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, order[i]);
        EXPECT_TRUE(room.contains(needed)) << "lines cut below";
        EXPECT_TRUE(chart->rect().contains(room));
    }
}

TEST_F(GroupStatisticsWindow, OpensFromTheMenuShowsNoMarksAsSuchAndSavesCsv) {
    asOwner({QStringLiteral("UPDATE mark_mag SET id_estimation = 5 WHERE id_student = 7"),
             QStringLiteral("UPDATE mark_mag SET id_estimation = 8 WHERE id_student = 8")});
    testsupport::TempDir out;
    const QString path = out.path(QStringLiteral("stat.csv"));
    platform::ScopedSaveFileScript script([&](const platform::SaveFileRequest&) { return path; });
    QStringList shown;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog =
            qobject_cast<reports::GroupStatisticsDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr)
            return;
        poll.stop();
        QTableWidget* t = dialog->studentsTable();
        // Sorted by debts, most first: a click on the title twice.
        QTest::mouseClick(t->horizontalHeader()->viewport(), Qt::LeftButton, {},
                          QPoint(t->horizontalHeader()->sectionViewportPosition(2) + 5, 5));
        QTest::mouseClick(t->horizontalHeader()->viewport(), Qt::LeftButton, {},
                          QPoint(t->horizontalHeader()->sectionViewportPosition(2) + 5, 5));
        for (int r = 0; r < t->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < t->columnCount(); ++c)
                cells << (t->item(r, c) ? t->item(r, c)->text() : QString());
            shown << cells.join(QLatin1Char('|'));
        }
        QTest::mouseClick(dialog->csvButton(), Qt::LeftButton);
        dialog->reject();
    });
    poll.start();
    clickCell(0, QStringLiteral("student"));
    key(Qt::Key_Menu);
    QMenu* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    for (int i = 0;
         i < 12 && (menu->activeAction() == nullptr ||
                    menu->activeAction()->text() != QStringLiteral("Статистика группы..."));
         ++i)
        key(Qt::Key_Down);
    key(Qt::Key_Return);
    backToMainWindow();
    const QString average = QLocale().toString(2.0, 'f', 2);
    EXPECT_EQ(shown,
              (QStringList{QStringLiteral("Андреев Андрей|1|1|") + average,
                           QStringLiteral("Петров Пётр|1|0|") + QLocale().toString(5.0, 'f', 2),
                           QStringLiteral("Яковлев Яков|нет оценок||")}))
        << shown.join('\n').toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString csv = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(csv.contains(QStringLiteral("Яковлев Яков;нет оценок\r\n"))) << csv.toStdString();
    EXPECT_TRUE(csv.contains(QStringLiteral("Андреев Андрей;1;1;2,00\r\n"))) << csv.toStdString();
    EXPECT_TRUE(boxes.empty());
}

} // namespace
