#include "app/Startup.h"
#include "data/Unit_2_1.h"
#include "journal/Unit2.h"
#include "platform/ApplicationState.h"
#include "platform/MessageBoxes.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>

TEST(Startup, MissingSettingsFileEndsTheProgramWithoutShowingTheMainWindow)
{
    ASSERT_FALSE(QFile::exists(QCoreApplication::applicationDirPath() + "/Data/KEL"));
    platform::resetApplicationState();
    std::vector<QString> texts;
    platform::ScopedMessageBoxScript script([&](const platform::MessageBoxRequest& r) {
        texts.push_back(r.text);
        return QMessageBox::Ok;
    });

    app::Startup objects = app::createApplicationObjects();
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
