// The mark sheet's files read back: the PDF's pages, the XLSX's cells, the CSV's bytes, and
// a write that fails leaving nothing behind.
#include "MarkSheetFixture.h"
#include "ReadBack.h"

#include "reports/CsvWriter.h"
#include "reports/MarkSheetLayout.h"
#include "reports/MarkSheetOutput.h"
#include "reports/ReportFiles.h"
#include "reports/SheetTable.h"
#include "reports/XlsxWriter.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <cmath>

namespace {

using reportstest::sampleSheet;

QString writePdf(const testsupport::TempDir& dir, const reports::MarkSheet& sheet) {
    const QString path = dir.path(QStringLiteral("sheet.pdf"));
    EXPECT_EQ(
        reports::writeFileAtomically(
            path, [&](QIODevice& out, QString&) { return reports::writeMarkSheetPdf(sheet, out); }),
        QString());
    return path;
}

TEST(MarkSheetPdf, HeadingRowsCountsAndSignaturesOnOnePage) {
    testsupport::TempDir dir;
    reports::MarkSheet sheet = sampleSheet(3);
    sheet.heading.filter = QStringLiteral("Показать задолжности");
    const QString path = writePdf(dir, sheet);
    ASSERT_EQ(reportstest::pdfPageCount(path), 1);
    const QString text = reportstest::pdfPageText(path, 1);
    for (const char* expected :
         {"ВЕДОМОСТЬ", "[Информатика] [2023-2024]", "Группа: ИВТ-21", "Семестр: Весенний",
          "Дисциплина: Математика", "Форма контроля: Экзамен", "Преподаватель: Сергеев С.С.",
          "Отбор: Показать задолжности", "Шифр студента", "Дата сдачи", "Всего студентов: 3",
          "отлично: 1", "удовл.: 1", "без оценки: 1", "Дата печати: 21.06.2024",
          "Подпись преподавателя:", "Подпись деканата:", "Стр. 1 из 1"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << "\n"
                                                                << text.toStdString();
    // A row's cells stay on its line, in the table's order.
    EXPECT_TRUE(text.contains(QRegularExpression(
        QStringLiteral("1\\s+Студент0001 Иван\\s+A-1\\s+отлично\\s+100\\s+20\\.06\\.2024"))))
        << text.toStdString();
    EXPECT_LT(text.indexOf(QStringLiteral("Студент0001")),
              text.indexOf(QStringLiteral("Студент0002")));
    EXPECT_LT(text.indexOf(QStringLiteral("Студент0002")),
              text.indexOf(QStringLiteral("Студент0003")));
    // The face travels inside the file, so Cyrillic shows on a machine without it.
    const QStringList fonts = reportstest::pdfFonts(path).split(QLatin1Char('\n')).mid(2);
    ASSERT_FALSE(fonts.join(QString()).trimmed().isEmpty());
    for (const QString& font : fonts)
        if (!font.trimmed().isEmpty()) {
            EXPECT_TRUE(font.contains(QStringLiteral(" yes "))) << font.toStdString();
        }
}

// The longest names of marks whole in their cells, and the counts in the order of the marks
// whatever order the rows give them.
TEST(MarkSheetPdf, MarkNamesWholeAndCountedInTheMarksOrder) {
    testsupport::TempDir dir;
    const QString marks[] = {
        QStringLiteral("неудовлетворительно"),
        QStringLiteral("не допущен"),
        QStringLiteral("удовлетворительно"),
        QString(),
        QStringLiteral("неявка"),
        QStringLiteral("хорошо"),
        QStringLiteral("отлично"),
        QStringLiteral("неудовлетворительно"),
    };
    reports::MarkSheet sheet = sampleSheet(int(std::size(marks)));
    for (int i = 0; i < sheet.rows.size(); ++i)
        sheet.rows[i].mark = marks[i];
    const QString path = writePdf(dir, sheet);
    ASSERT_EQ(reportstest::pdfPageCount(path), 1);
    const QString text = reportstest::pdfPageText(path, 1);
    EXPECT_FALSE(text.contains(QChar(0x2026))) << text.toStdString();
    for (int i = 0; i < sheet.rows.size(); ++i) {
        if (marks[i].isEmpty())
            continue;
        const QString row = QStringLiteral("%1\\s+Студент%2 Иван\\s+A-%1\\s+%3\\s+%4")
                                .arg(i + 1)
                                .arg(i + 1, 4, 10, QLatin1Char('0'))
                                .arg(marks[i])
                                .arg(100 + i);
        EXPECT_TRUE(text.contains(QRegularExpression(row))) << row.toStdString() << "\n"
                                                            << text.toStdString();
    }
    const QStringList counts = {
        QStringLiteral("отлично: 1"),
        QStringLiteral("хорошо: 1"),
        QStringLiteral("удовлетворительно: 1"),
        QStringLiteral("неудовлетворительно: 2"),
        QStringLiteral("неявка: 1"),
        QStringLiteral("не допущен: 1"),
        QStringLiteral("без оценки: 1"),
    };
    qsizetype at = text.indexOf(QStringLiteral("Всего студентов: 8"));
    ASSERT_GE(at, 0) << text.toStdString();
    for (const QString& count : counts) {
        const qsizetype found = text.indexOf(
            QRegularExpression(QStringLiteral("^\\s*") + QRegularExpression::escape(count) +
                                   QStringLiteral("$"),
                               QRegularExpression::MultilineOption),
            at);
        EXPECT_GT(found, at) << count.toStdString() << "\n" << text.toStdString();
        at = qMax(at, found);
    }
}

TEST(MarkSheetPdf, LongJournalRepeatsTheTableTitlesAndSplitsNoRow) {
    testsupport::TempDir dir;
    const reports::MarkSheet sheet = sampleSheet(120);
    const QString path = writePdf(dir, sheet);
    const int pages = reportstest::pdfPageCount(path);
    ASSERT_GE(pages, 3);
    QStringList seen;
    static const QRegularExpression row(
        QStringLiteral("^\\s*(\\d+)\\s+(Студент\\d{4} Иван)\\s+A-(\\d+)"));
    for (int page = 1; page <= pages; ++page) {
        const QString text = reportstest::pdfPageText(dir.path(QStringLiteral("sheet.pdf")), page);
        EXPECT_TRUE(text.contains(QStringLiteral("Стр. %1 из %2").arg(page).arg(pages)));
        const bool hasRows = text.contains(QStringLiteral("Студент"));
        if (hasRows) {
            EXPECT_TRUE(text.contains(QStringLiteral("Шифр студента"))) << "page " << page;
        }
        for (const QString& line : text.split(QLatin1Char('\n'))) {
            const auto m = row.match(line);
            if (!m.hasMatch())
                continue;
            // Number, name and code of one row on one line of one page.
            EXPECT_EQ(m.captured(1), m.captured(3)) << line.toStdString();
            seen << m.captured(2);
        }
    }
    ASSERT_EQ(seen.size(), 120);
    for (int i = 0; i < 120; ++i)
        EXPECT_EQ(seen[i], sheet.rows[i].student) << "row " << i + 1;
    const QString last = reportstest::pdfPageText(path, pages);
    // The counts and signatures stand under the table's last rows, never alone.
    EXPECT_TRUE(last.contains(QStringLiteral("Студент0120 Иван"))) << last.toStdString();
    EXPECT_TRUE(last.contains(QStringLiteral("Всего студентов: 120")));
    EXPECT_TRUE(last.contains(QStringLiteral("Подпись деканата:")));
}

// The lowest line of a page that anything is painted on, in points from the page's top: the
// page painted at 72 dots per inch on paper with room to spare below.
int lowestInk(const reports::MarkSheetLayout& layout, int page, QSizeF size) {
    QImage image(QSize(int(std::ceil(size.width())), int(std::ceil(size.height())) + 400),
                 QImage::Format_RGB32);
    image.setDotsPerMeterX(2835);
    image.setDotsPerMeterY(2835);
    image.fill(Qt::white);
    QPainter painter(&image);
    layout.paintPage(painter, page);
    painter.end();
    for (int y = image.height() - 1; y >= 0; --y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qGray(line[x]) < 250)
                return y;
    }
    return -1;
}

// Every row on exactly one page, in order, within the page; titles above rows; the footer
// once, at the end, whether or not it fits under the last rows.
TEST(MarkSheetLayoutPages, RowsAndFooterFitTheirPages) {
    const QSizeF a4 = QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                  QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter)
                          .paintRect(QPageLayout::Point)
                          .size();
    using L = reports::MarkSheetLayout;
    for (int students : {0, 1, 2, 37, 38, 39, 44, 45, 46, 47, 48, 49, 50, 51, 120, 1000}) {
        SCOPED_TRACE(students);
        const reports::MarkSheet sheet = sampleSheet(students);
        const L layout(sheet, a4);
        const auto& pages = layout.pages();
        ASSERT_FALSE(pages.isEmpty());
        int next = 0;
        for (int i = 0; i < pages.size(); ++i) {
            const L::Page& p = pages[i];
            EXPECT_EQ(p.heading, i == 0);
            EXPECT_EQ(p.footer, i == pages.size() - 1);
            EXPECT_EQ(p.firstRow, next);
            EXPECT_EQ(p.table, p.rowCount > 0 || (i == 0 && students == 0));
            next += p.rowCount;
            const double used = (p.table ? L::TableTitleHeight : 0) + p.rowCount * L::RowHeight;
            EXPECT_LE(used, a4.height() - L::PageNumberHeight) << "page " << i;
            // What is painted, heading and footer included, stays on the paper.
            EXPECT_LE(lowestInk(layout, i, a4), a4.height()) << "page " << i;
            if (i + 1 < pages.size() && !pages[i + 1].footer) {
                EXPECT_GT(p.rowCount, 0);
            }
            if (p.footer && students > 0) {
                EXPECT_GT(p.rowCount, 0) << "the footer alone on its page";
            }
        }
        EXPECT_EQ(next, students);
    }
}

TEST(MarkSheetCsv, ExactBytesAndRoundTripOfAwkwardFields) {
    reports::MarkSheet sheet = sampleSheet(2);
    sheet.rows[0].student = QStringLiteral("Иванов; \"Ваня\"");
    sheet.rows[1].code = QStringLiteral("строка\nдве");
    const QByteArray csv = reports::toCsv(reports::markSheetTable(sheet));
    const QByteArray expected =
        QStringLiteral("\xFEFF"
                       "ВЕДОМОСТЬ\r\n"
                       "[Информатика] [2023-2024]\r\n"
                       "Группа: ИВТ-21    Семестр: Весенний\r\n"
                       "Дисциплина: Математика\r\n"
                       "Форма контроля: Экзамен\r\n"
                       "Преподаватель: Сергеев С.С.\r\n"
                       "\r\n"
                       "П/П;Студент;Шифр студента;Оценка;№;Дата сдачи\r\n"
                       "1;\"Иванов; \"\"Ваня\"\"\";A-1;отлично;100;20.06.2024\r\n"
                       "2;Студент0002 Иван;\"строка\nдве\";удовл.;101;20.06.2024\r\n"
                       "\r\n"
                       "Всего студентов;2\r\n"
                       "отлично;1\r\n"
                       "удовл.;1\r\n"
                       "Дата печати;21.06.2024\r\n")
            .toUtf8();
    EXPECT_EQ(csv, expected) << csv.toStdString();
    ASSERT_TRUE(csv.startsWith("\xEF\xBB\xBF"));
    const auto rows = reportstest::parseCsv(QString::fromUtf8(csv.mid(3)));
    ASSERT_EQ(rows.size(), 15);
    EXPECT_EQ(rows[8].value(1), sheet.rows[0].student);
    EXPECT_EQ(rows[9].value(2), sheet.rows[1].code);
    EXPECT_EQ(rows[9].size(), 6);
}

// Texts that a spreadsheet would run as formulas stay texts; numbers and plain texts as typed.
TEST(MarkSheetCsv, TextsThatLookLikeFormulasStayTexts) {
    const struct {
        const char* name;
        const char* written;
    } cases[] = {
        {"=HYPERLINK(\"http://x\";\"a\")", "\"'=HYPERLINK(\"\"http://x\"\";\"\"a\"\")\""},
        {"-2+3 Иван", "'-2+3 Иван"},
        {"+7 Пётр", "'+7 Пётр"},
        {"@SUM(A1)", "'@SUM(A1)"},
        {"\t=1", "'\t=1"},
        {"Иванов-Петров", "Иванов-Петров"},
        {"Д'Артаньян", "Д'Артаньян"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        reports::MarkSheet sheet = sampleSheet(1);
        sheet.rows[0].student = QString::fromUtf8(c.name);
        const QByteArray csv = reports::toCsv(reports::markSheetTable(sheet));
        const auto rows = reportstest::parseCsv(QString::fromUtf8(csv.mid(3)));
        ASSERT_GT(rows.size(), 8);
        EXPECT_TRUE(csv.contains(";" + QByteArray(c.written) + ";")) << csv.toStdString();
        EXPECT_EQ(rows[8].value(0), QStringLiteral("1")) << "the row number is a number";
        EXPECT_EQ(rows[8].value(4), QStringLiteral("100")) << "a number keeps no mark";
        const QString back = rows[8].value(1);
        EXPECT_EQ(back.startsWith(u'\'') && !QString::fromUtf8(c.name).startsWith(u'\'')
                      ? back.mid(1)
                      : back,
                  QString::fromUtf8(c.name))
            << "the text read back is the name, behind the mark";
    }
}

// The cells of a worksheet: reference ("B9") to its text, with shared strings resolved;
// dates are numbers in a cell whose style has a date format.
struct SheetCell {
    QString value;
    QString style;
    bool text = false;
};

std::map<QString, SheetCell> readCells(const QString& path) {
    QStringList shared;
    QXmlStreamReader strings(reportstest::zipEntry(path, QStringLiteral("xl/sharedStrings.xml")));
    while (!strings.atEnd())
        if (strings.readNext() == QXmlStreamReader::StartElement && strings.name() == u"t")
            shared << strings.readElementText();
    std::map<QString, SheetCell> cells;
    QXmlStreamReader sheet(reportstest::zipEntry(path, QStringLiteral("xl/worksheets/sheet1.xml")));
    QString ref;
    while (!sheet.atEnd()) {
        if (sheet.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (sheet.name() == u"c") {
            ref = sheet.attributes().value(QLatin1String("r")).toString();
            cells[ref].style = sheet.attributes().value(QLatin1String("s")).toString();
            cells[ref].text = sheet.attributes().value(QLatin1String("t")) == u"s";
        } else if (sheet.name() == u"v") {
            const QString v = sheet.readElementText();
            cells[ref].value = cells[ref].text ? shared.value(v.toInt()) : v;
        }
    }
    return cells;
}

TEST(MarkSheetXlsx, CellsDatesBoldTitlesAndFrozenPane) {
    testsupport::TempDir dir;
    const reports::MarkSheet sheet = sampleSheet(3);
    QString error;
    const QByteArray bytes = reports::toXlsx(reports::markSheetTable(sheet), &error);
    ASSERT_FALSE(bytes.isEmpty()) << error.toStdString();
    const QString path = dir.write(QStringLiteral("sheet.xlsx"), bytes);
    const auto cells = readCells(path);
    const auto at = [&](const char* ref) {
        const auto found = cells.find(QString::fromLatin1(ref));
        return found != cells.end() ? found->second : SheetCell{};
    };
    EXPECT_EQ(at("A1").value, QStringLiteral("ВЕДОМОСТЬ"));
    EXPECT_EQ(at("A3").value, QStringLiteral("Группа: ИВТ-21    Семестр: Весенний"));
    // Row 8 holds the titles, rows 9-11 the students.
    const char* titles[] = {"A8", "B8", "C8", "D8", "E8", "F8"};
    for (int c = 0; c < 6; ++c)
        EXPECT_EQ(at(titles[c]).value, reports::markSheetColumnTitles()[c]);
    EXPECT_EQ(at("A9").value, QStringLiteral("1"));
    EXPECT_FALSE(at("A9").text) << "numbers are numbers";
    EXPECT_EQ(at("B9").value, QStringLiteral("Студент0001 Иван"));
    EXPECT_EQ(at("D10").value, QStringLiteral("удовл."));
    EXPECT_EQ(at("E11").value, QStringLiteral("102"));
    // 20.06.2024 is day 45463 of a spreadsheet's calendar.
    EXPECT_EQ(at("F9").value, QStringLiteral("45463"));
    EXPECT_FALSE(at("F9").text);
    EXPECT_FALSE(at("F9").style.isEmpty());
    EXPECT_EQ(at("F11").value, QString()) << "no date, no cell";
    EXPECT_EQ(at("A13").value, QStringLiteral("Всего студентов"));
    EXPECT_EQ(at("B13").value, QStringLiteral("3"));
    EXPECT_EQ(at("A16").value, QStringLiteral("без оценки"));
    EXPECT_EQ(at("B17").value, QStringLiteral("45464"));

    const QString styles =
        QString::fromUtf8(reportstest::zipEntry(path, QStringLiteral("xl/styles.xml")));
    EXPECT_TRUE(styles.contains(QStringLiteral("formatCode=\"dd.mm.yyyy\"")));
    EXPECT_TRUE(styles.contains(QStringLiteral("<b/>")));
    EXPECT_NE(at("B8").style, at("B9").style) << "titles have their own (bold) style";
    const QString xml =
        QString::fromUtf8(reportstest::zipEntry(path, QStringLiteral("xl/worksheets/sheet1.xml")));
    EXPECT_TRUE(xml.contains(QStringLiteral("ySplit=\"8\""))) << "frozen under the titles";
    EXPECT_TRUE(xml.contains(QStringLiteral("state=\"frozen\"")));
    EXPECT_TRUE(xml.contains(QStringLiteral("<col "))) << "widths fitted";
}

TEST(ReportFileWrite, FailuresLeaveNoFileAndKeepTheOldOne) {
    testsupport::TempDir dir;
    const QString blocker = dir.write(QStringLiteral("not-a-folder"), "x");
    struct Case {
        const char* name;
        QString path;
        bool writerFails;
        QByteArray before; // an existing file's content; empty: none
    };
    const Case cases[] = {
        {"folder is a file", blocker + QStringLiteral("/out.csv"), false, {}},
        {"folder missing", dir.path(QStringLiteral("gone/out.csv")), false, {}},
        {"content fails half-way, no old file", dir.path(QStringLiteral("new.csv")), true, {}},
        {"content fails half-way, old file", dir.path(QStringLiteral("old.csv")), true, "old"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.before.isEmpty()) {
            QFile f(c.path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(c.before);
        }
        const QString error =
            reports::writeFileAtomically(c.path, [&](QIODevice& out, QString& why) {
                out.write("half");
                why = QStringLiteral("test");
                return !c.writerFails;
            });
        EXPECT_TRUE(error.startsWith(QStringLiteral("Не удалось сохранить файл")))
            << error.toStdString();
        QFile after(c.path);
        if (c.before.isEmpty()) {
            EXPECT_FALSE(after.exists());
        } else {
            ASSERT_TRUE(after.open(QIODevice::ReadOnly));
            EXPECT_EQ(after.readAll(), c.before);
        }
    }
    // Nothing half-written stays beside the targets.
    QStringList left = QDir(dir.path(QString())).entryList(QDir::Files);
    left.sort();
    EXPECT_EQ(left, (QStringList{QStringLiteral("not-a-folder"), QStringLiteral("old.csv")}));

    // A successful write replaces the old file.
    const QString target = dir.path(QStringLiteral("old.csv"));
    EXPECT_EQ(reports::writeFileAtomically(
                  target, [](QIODevice& out, QString&) { return out.write("new") == 3; }),
              QString());
    QFile replaced(target);
    ASSERT_TRUE(replaced.open(QIODevice::ReadOnly));
    EXPECT_EQ(replaced.readAll(), QByteArray("new"));
}

} // namespace
