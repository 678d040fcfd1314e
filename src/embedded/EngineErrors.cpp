// Russian texts for the engine's faults.
#include "embedded/EngineErrors.h"

#include <QDir>

#include <sqlite3.h>

namespace embedded {
namespace {

QString outcome(CallKind kind) {
    switch (kind) {
    case CallKind::SignIn:
        return QStringLiteral("Вход не выполнен.");
    case CallKind::Write:
        return QStringLiteral("Изменение не сохранено.");
    case CallKind::Read:
        break;
    }
    return QStringLiteral("Данные не прочитаны, изменений не было.");
}

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

} // namespace

QString readOnlyFileText(const QString& path, CallKind kind) {
    return QStringLiteral("Файл базы данных «%1» доступен только для чтения: нет права записи "
                          "в файл, в его файлы -wal и -shm или в его папку. %2 Обратитесь к "
                          "администратору.")
        .arg(shown(path), outcome(kind));
}

QString engineErrorText(int code, const QString& engineText, const QString& path, CallKind kind) {
    switch (code) {
    case SQLITE_READONLY:
        return readOnlyFileText(path, kind);
    case SQLITE_FULL:
        return QStringLiteral("На диске с базой данных «%1» не осталось места. %2 Освободите "
                              "место на диске и повторите попытку.")
            .arg(shown(path), outcome(kind));
    case SQLITE_IOERR:
        return QStringLiteral("Ошибка чтения или записи файла базы данных «%1»: диск заполнен, "
                              "неисправен или недоступен. %2 Обратитесь к администратору.")
            .arg(shown(path), outcome(kind));
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return QStringLiteral("Файл базы данных «%1» поврежден или не является базой данных. %2 "
                              "Обратитесь к администратору: файл нужно восстановить из "
                              "резервной копии.")
            .arg(shown(path), outcome(kind));
    case SQLITE_CANTOPEN:
        return QStringLiteral("Не удалось открыть файл базы данных «%1» или его файлы -wal и "
                              "-shm: нет доступа к ним или к их папке. %2 Обратитесь к "
                              "администратору.")
            .arg(shown(path), outcome(kind));
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        // The driver's own text speaks of an unsaved change, which a sign-in has not made.
        if (kind == CallKind::SignIn)
            return QStringLiteral("База данных занята: в нее записывает другой пользователь или "
                                  "программа. Вход не выполнен; повторите вход через несколько "
                                  "секунд.");
        return QString();
    case SQLITE_CONSTRAINT:
        // SQL Server's column types refuse these values with their conversion errors.
        if (engineText.endsWith(QLatin1String("_date")))
            return QStringLiteral("Ошибка преобразования даты или времени из символьной строки.");
        if (engineText.endsWith(QLatin1String("row_id_integer")))
            return QStringLiteral("Ошибка при преобразовании типа данных varchar к int.");
        return QString();
    default:
        return QString();
    }
}

} // namespace embedded
