// The printing and XLSX module: carried inside the program, refused with a clear reason when
// its bytes are no module, and kept out of the program's start.
#include "reports/OutputModule.h"
#include "reports/OutputModuleImage.h"

#include <gtest/gtest.h>

#include <QProcess>

namespace {

const QString Failure = QStringLiteral("Не удалось загрузить модуль печати и выгрузки: ");

} // namespace

TEST(OutputModule, LoadedFromTheBytesTheProgramCarriesOrRefusedWithItsReason) {
    const QByteArrayView built = reports::outputModuleImage();
    // Its header alone, the rest lost.
    const QByteArray cut = built.first(64).toByteArray();
    struct Case {
        const char* name;
        QByteArrayView image;
        bool loads;
    };
    const Case cases[] = {
        {"no bytes", {}, false},
        {"a text, not a library", "not a library", false},
        {"the header alone", cut, false},
        {"the module built with the program", built, true},
    };
    for (const Case& c : cases) {
        QString error;
        const reports::OutputModule* module = reports::loadOutputModule(c.image, &error);
        EXPECT_EQ(module != nullptr, c.loads) << c.name << ": " << error.toStdString();
        if (module != nullptr) {
            EXPECT_TRUE(error.isEmpty()) << c.name;
            EXPECT_EQ(module->version, reports::OutputModuleVersion) << c.name;
            EXPECT_TRUE(module->toXlsx && module->preview && module->print) << c.name;
        } else {
            EXPECT_TRUE(error.startsWith(Failure) && error.size() > Failure.size() + 1)
                << c.name << ": " << error.toStdString();
        }
    }
    // The program's own copy, loaded once.
    QString error;
    EXPECT_NE(reports::outputModule(&error), nullptr) << error.toStdString();
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
