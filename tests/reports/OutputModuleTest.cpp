// The printing and XLSX module: found beside the program, refused with a clear reason when it
// is missing or foreign, and kept out of the program's start.
#include "reports/OutputModule.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QProcess>

namespace {

const QString Failure = QStringLiteral("Не удалось загрузить модуль печати и выгрузки: ");

QString moduleName() {
#ifdef Q_OS_WIN
    return QStringLiteral("kel-output.dll");
#else
    return QStringLiteral("kel-output.so");
#endif
}

} // namespace

TEST(OutputModule, LoadedFromTheFirstFolderHoldingItOrRefusedWithItsReason) {
    testsupport::TempDir empty;
    testsupport::TempDir foreign;
    foreign.write(moduleName(), "not a library");
    const QString built = QDir(QCoreApplication::applicationDirPath()).filePath("../bin");

    struct Case {
        const char* name;
        QStringList folders;
        bool loads;
        QString reasonStart;
    };
    const Case cases[] = {
        {"no folder holds it",
         {empty.path({})},
         false,
         Failure + QStringLiteral("файл ") + moduleName() +
             QStringLiteral(" не найден рядом с программой.")},
        {"a file that is no library", {foreign.path({}), built}, false, Failure},
        {"the built module after an empty folder", {empty.path({}), built}, true, {}},
    };
    for (const Case& c : cases) {
        QString error;
        const reports::OutputModule* module = reports::loadOutputModule(c.folders, &error);
        EXPECT_EQ(module != nullptr, c.loads) << c.name << ": " << error.toStdString();
        EXPECT_TRUE(error.startsWith(c.reasonStart)) << c.name << ": " << error.toStdString();
        if (module != nullptr) {
            EXPECT_EQ(module->version, reports::OutputModuleVersion) << c.name;
            EXPECT_TRUE(module->toXlsx && module->preview && module->print) << c.name;
        }
    }
}

#ifdef Q_OS_LINUX
TEST(OutputModule, TheProgramStartsWithoutThePrintAndSpreadsheetLibraries) {
    QProcess ldd;
    ldd.start(QStringLiteral("ldd"), {QStringLiteral(KEL14_PATH)});
    ASSERT_TRUE(ldd.waitForFinished(30000));
    const QString needed = QString::fromLocal8Bit(ldd.readAllStandardOutput());
    ASSERT_TRUE(needed.contains(QStringLiteral("libQt6Widgets"))) << needed.toStdString();
    EXPECT_FALSE(needed.contains(QStringLiteral("PrintSupport"))) << needed.toStdString();
    EXPECT_FALSE(needed.contains(QStringLiteral("xlsxwriter"))) << needed.toStdString();
}
#endif
