// Creating an embedded database and managing its logins and users (the server's owner).
#pragma once

#include "embedded/EmbeddedServer.h"

#include <QDateTime>
#include <QString>

#include <optional>

namespace embedded {

// Creates a database file with the client's schema and the server's bookkeeping. Refuses a
// file that exists; a failure leaves no file behind.
void createDatabase(const QString& path);

// An owner session on a database file.
class ServerAdmin {
public:
    explicit ServerAdmin(const QString& path);

    // A login that may only verify users (the settings file's login).
    void createCheckLogin(const QString& name, const QString& password);

    // A user who signs in with login and password, with a working login of its own.
    // passwordSet is when the password was last set; none means an administrator gave it
    // and it must be changed at the first sign-in. Returns the user's id_login.
    int createUser(const QString& login, const QString& password,
                   const std::optional<QDateTime>& passwordSet, const QString& fio = QString());

    void setSetting(const QString& name, const QString& value);

    // Statements with every right, for filling in data.
    EmbeddedServer& server() { return server_; }
    db::Result exec(const QString& sql, const std::vector<QVariant>& binds = {});

private:
    EmbeddedServer server_{EmbeddedServer::Access::Owner};
};

} // namespace embedded
