// How the data module shows the loading notice, whose window belongs to a higher layer.
#pragma once

#include <functional>

namespace data {

// Installed by the layer that owns the notice window and its one shared reference.
struct LoadingNoticeHook {
    std::function<bool()> exists;  // a notice is in the shared reference
    std::function<void()> create;  // creates it into the reference and shows it, not modal
    std::function<void()> destroy; // destroys it through the reference, clearing it
};

} // namespace data
