// A signed-in data module on a fresh embedded database with one group's small journal.
#pragma once

#include "support/BoxScript.h"
#include "support/DataModuleCore.h"

namespace testsupport {

class DataModuleFixture : public DataModuleCore {
protected:
    void SetUp() override;

    // Signs "user1" in as the sign-in does and opens the start-up data sets.
    void signIn();

    // A box nobody expected fails the test instead of waiting for a click; tests that expect
    // boxes set their own script over this one.
    platform::ScopedMessageBoxScript unexpectedBoxes{failOnBoxes()};
};

} // namespace testsupport
