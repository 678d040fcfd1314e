// Entry point of the client.
#include "app/Application.h"
#include "app/Startup.h"

int main(int argc, char** argv) {
    app::Application application(argc, argv);
    app::Startup objects = app::createApplicationObjects();
    const int code = app::runMessageLoop(objects);
    app::destroyApplicationObjects(objects);
    return code;
}
