// Test programs run with one QApplication on the offscreen platform unless told otherwise.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLocale>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    // Dates and numbers in the program's texts follow the Russian locale, as in the client.
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
