// A procedure's rows go on as they are read, unless a column's type must be judged from them.
#include "db/DataSetInternal.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* name;
    db::FieldType declared;
    bool passedBeforeTheEnd;
    db::FieldType received;
};

} // namespace

TEST(TypedRows, RowsGoOnAtOnceUnlessATypeIsUnknown) {
    const Case cases[] = {
        {"typed column", db::FieldType::String, true, db::FieldType::String},
        {"untyped column", db::FieldType::Unknown, false, db::FieldType::Integer},
    };
    for (const Case& c : cases) {
        db::ResultCollector out;
        db::internal::TypedRows typed(out);
        db::Column column;
        column.name = QStringLiteral("n");
        column.type = c.declared;
        typed.begin({column}, 2);
        for (int v : {7, 8}) {
            std::vector<QVariant> values{QVariant(v)};
            typed.row(values);
        }
        EXPECT_EQ(out.result.rows.size() == 2, c.passedBeforeTheEnd) << c.name;
        typed.finish();
        ASSERT_EQ(out.result.rows.size(), 2u) << c.name;
        EXPECT_EQ(out.result.rows[1][0], QVariant(8)) << c.name;
        ASSERT_EQ(out.result.columns.size(), 1u) << c.name;
        EXPECT_EQ(out.result.columns[0].type, c.received) << c.name;
    }
}
