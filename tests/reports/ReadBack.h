// Reading the written files back as their users' programs would: a PDF's text through
// pdftotext, an XLSX's parts through a zip reader, a CSV through a plain RFC 4180 reader.
#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace reportstest {

inline QByteArray run(const QString& program, const QStringList& arguments) {
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString()
                      << " failed: " << p.readAllStandardError().toStdString();
        return {};
    }
    return p.readAllStandardOutput();
}

// One page's text (1-based), lines as pdftotext lays them out.
inline QString pdfPageText(const QString& path, int page) {
    return QString::fromUtf8(
        run(QStringLiteral("pdftotext"),
            {QStringLiteral("-layout"), QStringLiteral("-f"), QString::number(page),
             QStringLiteral("-l"), QString::number(page), path, QStringLiteral("-")}));
}

inline int pdfPageCount(const QString& path) {
    const QString info = QString::fromUtf8(run(QStringLiteral("pdfinfo"), {path}));
    for (const QString& line : info.split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("Pages:")))
            return line.mid(6).trimmed().toInt();
    return 0;
}

inline QString pdfFonts(const QString& path) {
    return QString::fromUtf8(run(QStringLiteral("pdffonts"), {path}));
}

inline QByteArray zipEntry(const QString& path, const QString& entry) {
    return run(
        QStringLiteral("python3"),
        {QStringLiteral("-c"),
         QStringLiteral("import sys, zipfile; "
                        "sys.stdout.buffer.write(zipfile.ZipFile(sys.argv[1]).read(sys.argv[2]))"),
         path, entry});
}

// Rows of fields: ";" between fields, quotes around fields that need them, CR LF lines.
inline QList<QStringList> parseCsv(const QString& text) {
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                field += c;
                ++i;
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == QLatin1Char(';')) {
            row << field;
            field.clear();
        } else if (c == QLatin1Char('\r') && i + 1 < text.size() &&
                   text[i + 1] == QLatin1Char('\n')) {
            row << field;
            rows << row;
            row.clear();
            field.clear();
            ++i;
        } else {
            field += c;
        }
    }
    EXPECT_TRUE(row.isEmpty() && field.isEmpty()) << "the last line ends with CR LF";
    return rows;
}

} // namespace reportstest
