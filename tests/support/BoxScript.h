// How tests answer message boxes: each box is kept for the test to read and answered by a
// button, as a person would click it.
#pragma once

#include "platform/MessageBoxes.h"

#include <gtest/gtest.h>

#include <vector>

namespace testsupport {

// Keeps every box in into and presses answer.
inline platform::MessageBoxScript
recordBoxes(std::vector<platform::MessageBoxRequest>& into,
            QMessageBox::StandardButton answer = QMessageBox::Ok) {
    return [&into, answer](const platform::MessageBoxRequest& r) {
        into.push_back(r);
        return answer;
    };
}

// A box nobody expected fails the test instead of waiting for a click.
inline platform::MessageBoxScript failOnBoxes() {
    return [](const platform::MessageBoxRequest& r) {
        ADD_FAILURE() << "unexpected message box: " << r.text.toStdString();
        return QMessageBox::Ok;
    };
}

} // namespace testsupport
