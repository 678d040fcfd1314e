// Test programs of the layers below the windows: a QCoreApplication, so they need no Widgets.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLocale>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    // Dates and numbers in the program's texts follow the Russian locale, as in the client.
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
