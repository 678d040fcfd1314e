// A fresh embedded database per test: schema, a verification login, two users and a small
// faculty (one group of four students, one discipline with an examination).
#pragma once

#include "db/Connection.h"
#include "db/DatabaseError.h"
#include "embedded/EmbeddedServer.h"
#include "embedded/ServerAdmin.h"
#include "platform/Cp1251.h"
#include "signin/SettingsFile.h"
#include "signin/md5.h"
#include "support/DbStep.h"
#include "support/TempDir.h"
#include "support/TextPrinting.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

namespace embeddedtest {

constexpr int Group = 10, Semester = 1, Discipline = 5, Exam = 1;
constexpr int Ivanov = 12, Abramova = 40, Yolkin = 41, Egorov = 42;
const QString CheckLogin = QStringLiteral("kel_check");
const QString CheckPassword = QStringLiteral("Проверка1");

inline QDateTime fixedNow() {
    return QDateTime(QDate(2024, 4, 5), QTime(10, 0));
}

// The server's error text for a statement, or "" when it ran.
template <typename F> QString errorOf(F&& f) {
    try {
        f();
    } catch (const db::DatabaseError& e) {
        return e.message();
    }
    return QString();
}

class ServerFixture : public ::testing::Test {
protected:
    void SetUp() override {
        path = dir.path(QStringLiteral("kel.sqlite"));
        embedded::createDatabase(path);
        embedded::ServerAdmin admin(path);
        admin.createCheckLogin(CheckLogin, CheckPassword);
        userId = admin.createUser(QStringLiteral("ivanova"), QStringLiteral("secret1"),
                                  fixedNow().addDays(-10), QStringLiteral("Иванова М. П."));
        newUserId =
            admin.createUser(QStringLiteral("Новиков"), QStringLiteral("start"), std::nullopt);
        const char* const data[] = {
            "INSERT INTO speciality VALUES (1, 'Прикладная информатика')",
            "INSERT INTO st_group VALUES (10, 'ПИ-21', 1), (11, 'ПИ-22', NULL)",
            "INSERT INTO s_fio VALUES (12, 'Иванов Иван Иванович', '21001'), "
            "(40, 'Абрамова Анна Сергеевна', '21002'), (41, 'Ёлкин Пётр Ильич', '21003'), "
            "(42, 'егоров Олег Петрович', NULL)",
            "INSERT INTO group_student VALUES (10, 12), (10, 40), (10, 41), (10, 42)",
            "INSERT INTO semester VALUES (1, '1 семестр'), (2, '2 семестр')",
            "INSERT INTO group_sem VALUES (10, 1, 1), (10, 2, 1)",
            "INSERT INTO group_year VALUES (10, 1, '2021/2022 учебный год')",
            "INSERT INTO discipline VALUES (5, 'Математика'), (6, 'Физика')",
            "INSERT INTO examination VALUES (1, 'Экзамен'), (2, 'Зачет')",
            "INSERT INTO educ_sh (id_group, id_semester, id_discipline, id_examination) "
            "VALUES (10, 1, 5, 1), (10, 1, 6, 2)",
            "INSERT INTO estimation VALUES (2, 'отлично'), (3, 'хорошо'), (8, 'неуд.'), "
            "(9, 'неявка'), (10, 'не зачтено'), (11, 'не допущен'), (16, 'н/а'), "
            "(25, 'не изучает')",
            "INSERT INTO exam_estimation SELECT 1, id_estimation FROM estimation",
            "INSERT INTO t_fio VALUES (1, 'Петров Петр Петрович'), (2, 'Сидорова Анна')",
            "INSERT INTO f_est VALUES (1, 'Ведомость'), (2, 'Направление')",
            "INSERT INTO EstimationOther VALUES (1, 'ак. отп.', 1)",
            "INSERT INTO com_sfe VALUES (1, 1)",
        };
        for (const char* sql : data)
            admin.exec(QString::fromUtf8(sql));
        admin.exec(QStringLiteral("INSERT INTO group_login VALUES (10, ?, 1), (11, ?, 0)"),
                   {userId, userId});
    }

    QString connectionText(const QString& user, const QString& password) const {
        return QStringLiteral("Provider=SQLOLEDB.1;Password=") + password +
               QStringLiteral(";Persist Security Info=True;User ID=") + user +
               QStringLiteral(";Initial Catalog=KEL;Data Source=") + path +
               QStringLiteral(";Use Procedure for Prepare=1;Auto Translate=True;"
                              "Packet Size=4096;Use Encryption for Data=False;"
                              "Tag with column collation when possible=False");
    }

    std::unique_ptr<db::Connection> connect(const QString& user, const QString& password) {
        auto c = std::make_unique<db::Connection>();
        c->setDriverFactory(embedded::driverFactory());
        c->setConnectionString(connectionText(user, password));
        c->open();
        server(*c).setClock([this] { return now; });
        return c;
    }

    static embedded::EmbeddedServer& server(db::Connection& c) {
        return dynamic_cast<embedded::EmbeddedServer&>(c.driver());
    }

    // The sign-in statement exactly as the client builds it.
    static QString getUserStatement(const QString& login, const QString& password,
                                    const QString& newPassword = QStringLiteral("NULL"),
                                    const QString& program = QStringLiteral("KEL 14")) {
        const QString a = newPassword == QLatin1String("NULL")
                              ? newPassword
                              : QLatin1Char('\'') + MD5Hex(newPassword) + QLatin1Char('\'');
        return QStringLiteral("EXEC GET_USER '") + login + QStringLiteral("',") +
               QStringLiteral("'") + MD5Hex(password) + QStringLiteral("',") + a +
               QStringLiteral(", ") + QStringLiteral("'") + program + QStringLiteral("'") +
               QStringLiteral(", '") + QStringLiteral("10.0.0.7") + QStringLiteral("', ") +
               QStringLiteral("'") + QStringLiteral("PC-7") + QStringLiteral("'") +
               QStringLiteral(", '") + login + QStringLiteral("',") + QStringLiteral("'0',") +
               QStringLiteral("'") + QString::number(a.size()) + QStringLiteral("'");
    }

    // GET_USER's one row through the verification login.
    std::vector<QVariant> getUser(const QString& login, const QString& password,
                                  const QString& newPassword = QStringLiteral("NULL"),
                                  const QString& program = QStringLiteral("KEL 14")) {
        auto c = connect(CheckLogin, CheckPassword);
        const db::Result r = c->query(getUserStatement(login, password, newPassword, program));
        EXPECT_EQ(r.rows.size(), 1u);
        EXPECT_GE(r.columns.size(), 6u);
        return r.rows.empty() ? std::vector<QVariant>(6) : r.rows[0];
    }

    // A working connection for the user, opened with the credentials GET_USER hands out.
    std::unique_ptr<db::Connection> signIn(const QString& login = QStringLiteral("ivanova"),
                                           const QString& password = QStringLiteral("secret1")) {
        const auto row = getUser(login, password);
        EXPECT_EQ(row[4].toString(), QString()) << row[4].toString().toStdString();
        const QString workLogin = signin::DecodeSettingText(platform::toCp1251(row[0].toString()));
        const QString workPassword =
            signin::DecodeSettingText(platform::toCp1251(row[1].toString()));
        return connect(workLogin, workPassword);
    }

    testsupport::TempDir dir;
    QString path;
    int userId = 0;
    int newUserId = 0;
    QDateTime now = fixedNow();
};

} // namespace embeddedtest
