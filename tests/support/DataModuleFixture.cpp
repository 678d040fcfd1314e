// The sign-in as the sign-in window does it, and the platform's boxes for the data module.
#include "support/DataModuleFixture.h"

#include "journal/DataModuleMessages.h"
#include "platform/Cp1251.h"
#include "signin/SettingsFile.h"
#include "signin/md5.h"

namespace testsupport {

void DataModuleFixture::SetUp() {
    DataModuleCore::SetUp();
    dm.ShowMessage = journal::dataModuleMessages();
}

void DataModuleFixture::signIn() {
    const QString first = QStringLiteral("Provider=SQLOLEDB.1;Persist Security Info=True;"
                                         "User ID=kel_check;Password=check-pw;"
                                         "Initial Catalog=KEL;Data Source=") +
                          path;
    dm.ADO_TAZ.setConnectionString(first);
    dm.ADO_TAZ.open();
    const db::Result answer = dm.ADO_TAZ.query(
        QStringLiteral("EXEC GET_USER 'user1','%1',NULL, 'KEL 14', '127.0.0.1', 'PC-7', "
                       "'user1','0','4'")
            .arg(MD5Hex(QStringLiteral("secret"))));
    ASSERT_FALSE(answer.rows.empty());
    const auto& row = answer.rows.front();
    ASSERT_EQ(row.at(4).toString(), QString()) << "the server refused the sign-in";
    const QString login = signin::DecodeSettingText(platform::toCp1251(row.at(0).toString()));
    const QString password = signin::DecodeSettingText(platform::toCp1251(row.at(1).toString()));
    dm.ADO_TAZ.close();
    openAs(login, password);
}

} // namespace testsupport
