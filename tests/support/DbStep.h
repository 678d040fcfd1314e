// Database steps inside tests: a throw becomes a failure carrying the database's own text.
#pragma once

#include "db/DatabaseError.h"

#include <gtest/gtest.h>

// Runs a database step and ends the test with the database's text when it throws.
#define DB_STEP(statement)                                                                         \
    try {                                                                                          \
        statement;                                                                                 \
    } catch (const db::DatabaseError& e) {                                                         \
        FAIL() << "database step failed: " << e.message().toStdString();                           \
    }

// Runs a statement and records a failure with the server's text if it throws; the test goes on.
#define EXPECT_RUNS(statement)                                                                     \
    try {                                                                                          \
        statement;                                                                                 \
    } catch (const db::DatabaseError& e) {                                                         \
        ADD_FAILURE() << #statement << ": " << e.message().toStdString();                          \
    }
