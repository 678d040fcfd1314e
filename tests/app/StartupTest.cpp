#include "app/Startup.h"
#include "data/Unit_2_1.h"
#include "journal/Unit2.h"
#include "platform/ApplicationState.h"
#include "platform/MessageBoxes.h"
#include "signin/PictureButton.h"
#include "signin/Unit10.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

TEST(Startup, CancelAfterAMissingSettingsFileEndsTheProgramWithoutShowingTheMainWindow) {
    ASSERT_FALSE(QFile::exists(QCoreApplication::applicationDirPath() + "/Data/KEL"));
    platform::resetApplicationState();
    std::vector<QString> texts;
    platform::ScopedMessageBoxScript script([&](const platform::MessageBoxRequest& r) {
        texts.push_back(r.text);
        return QMessageBox::Ok;
    });

    // The sign-in window opens during the main window's creation: one attempt finds no
    // settings file, then the user cancels.
    bool signInShown = false;
    QTimer::singleShot(0, [&] {
        ASSERT_NE(Form8, nullptr);
        signInShown = Form8->isVisible();
        QTest::keyClick(Form8->Login_Edit, Qt::Key_Return);
        QTest::mouseClick(Form8->SpeedButton1, Qt::LeftButton);
    });
    app::Startup objects = app::createApplicationObjects();
    EXPECT_TRUE(signInShown);
    EXPECT_EQ(Form8, nullptr);
    EXPECT_EQ(DM_TAZ_2, objects.dataModule);
    ASSERT_NE(objects.mainWindow, nullptr);
    EXPECT_EQ(objects.mainWindow->windowTitle(), QStringLiteral("KEL 14 Учет успеваемости"));
    EXPECT_EQ(texts, std::vector<QString>{QStringLiteral("File not found")});
    EXPECT_TRUE(platform::terminationRequested());
    EXPECT_FALSE(platform::showMainForm());

    EXPECT_EQ(app::runMessageLoop(objects), 0);
    EXPECT_FALSE(objects.mainWindow->isVisible());
    app::destroyApplicationObjects(objects);
    EXPECT_EQ(DM_TAZ_2, nullptr);
}
