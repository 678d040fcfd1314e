#include "SettingsTool.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>

using tools::runSettingsTool;

namespace {

struct ToolRun {
    int code;
    QString out, err;
};

ToolRun run(const QStringList& arguments, const QString& defaultPath) {
    ToolRun r{};
    r.code = runSettingsTool(arguments, defaultPath, r.out, r.err);
    return r;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(KelSettings, WritesThe84ByteLayoutAndPrintsItBack) {
    testsupport::TempDir dir;
    const QString path = dir.path("Data/KEL");
    const ToolRun w = run({"kel_check", "пароль", "db.sqlite", "KEL"}, path);
    ASSERT_EQ(w.code, 0) << w.err.toStdString();

    const QByteArray bytes = readAll(path);
    ASSERT_EQ(bytes.size(), 84);
    EXPECT_EQ(bytes[40], char(9));
    EXPECT_EQ(bytes[41], char(6));
    EXPECT_EQ(bytes[82], char(9));
    EXPECT_EQ(bytes[83], char(3));
    EXPECT_EQ(signin::DecodeSettingText(bytes.mid(0, 9)), QStringLiteral("kel_check"));
    EXPECT_EQ(signin::DecodeSettingText(bytes.mid(20, 6)), QStringLiteral("пароль"));
    EXPECT_EQ(signin::DecodeSettingText(bytes.mid(42, 9)), QStringLiteral("db.sqlite"));
    EXPECT_EQ(signin::DecodeSettingText(bytes.mid(62, 3)), QStringLiteral("KEL"));

    const ToolRun p = run({"--print"}, path);
    EXPECT_EQ(p.code, 0);
    EXPECT_TRUE(p.out.contains(QStringLiteral("password: пароль"))) << p.out.toStdString();
    EXPECT_TRUE(p.out.contains(QStringLiteral("server:   db.sqlite")));
}

TEST(KelSettings, RefusesBadValuesAndLeavesTheFileAsItWas) {
    testsupport::TempDir dir;
    const QString path = dir.path("KEL");
    ASSERT_EQ(run({"u", "p", "s", "d"}, path).code, 0);
    const QByteArray before = readAll(path);

    const struct {
        QStringList args;
        const char* reason;
    } cases[] = {
        {{"sa", "Пароль;x", "srv", "KEL"}, "';'"},
        {{"sa", "pw", "srv", "日本"}, "U+65E5"},
        {{QString(21, QLatin1Char('x')), "pw", "srv", "KEL"}, "at most 20"},
        {{"sa", "pw", "srv"}, "Usage"},
    };
    for (const auto& c : cases) {
        const ToolRun r = run(c.args, path);
        EXPECT_NE(r.code, 0) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(QLatin1String(c.reason))) << r.err.toStdString();
        EXPECT_EQ(readAll(path), before);
    }
}

TEST(KelSettings, PrintOfAMissingFileSaysSo) {
    testsupport::TempDir dir;
    const ToolRun r = run({"--print", "--file", dir.path("nothing")}, dir.path("x"));
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains(QLatin1String("File not found")));
}

TEST(KelSettings, VersionIsTheBuildsAndWritesNothing) {
    testsupport::TempDir dir;
    const QString path = dir.path("Data/KEL");
    const ToolRun r = run({"--version"}, path);
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^kel-settings \\(KEL 14\\) 14\\.\\d+\\.\\d+\\n$"))
            .match(r.out)
            .hasMatch())
        << r.out.toStdString();
    EXPECT_TRUE(r.err.isEmpty());
    EXPECT_FALSE(QFile::exists(path));
}
