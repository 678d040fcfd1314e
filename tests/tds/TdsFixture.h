// A stand-in per test and helpers to read what it received.
#pragma once

#include "StandIn.h"

#include "db/Connection.h"
#include "db/DatabaseError.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonObject>

#include <functional>
#include <optional>

namespace tdstest {

class TdsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(standIn_.running()); }

    // A connection to the stand-in through the client's own connection string.
    void connect(db::Connection& connection, const QString& user = QStringLiteral("u"),
                 const QString& password = QStringLiteral("p")) {
        connection.setConnectionString(standIn_.settings(user, password));
    }

    // The DatabaseError the work raises; a failure when it raises none.
    static std::optional<db::DatabaseError> errorOf(const std::function<void()>& work) {
        try {
            work();
        } catch (const db::DatabaseError& e) {
            return e;
        }
        ADD_FAILURE() << "no DatabaseError";
        return std::nullopt;
    }

    StandIn standIn_;
};

} // namespace tdstest
