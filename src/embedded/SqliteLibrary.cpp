// Finds the library of an object by its vtable and asks it for SQLite's entry point.
#include "embedded/SqliteLibrary.h"

#include <dlfcn.h>
#include <sqlite3.h>

namespace embedded {

bool usesOurSqlite(const void* object) {
    if (object == nullptr)
        return false;
    const void* vtable = *static_cast<const void* const*>(object);
    Dl_info info{};
    if (dladdr(vtable, &info) == 0 || info.dli_fname == nullptr)
        return false;
    void* library = dlopen(info.dli_fname, RTLD_LAZY | RTLD_NOLOAD);
    if (library == nullptr)
        return false;
    const void* theirs = dlsym(library, "sqlite3_libversion");
    dlclose(library);
    return theirs != nullptr && theirs == reinterpret_cast<const void*>(&sqlite3_libversion);
}

} // namespace embedded
