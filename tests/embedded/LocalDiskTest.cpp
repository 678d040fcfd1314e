// A database file on a network file system is refused; local ones are not.
#include "embedded/LocalDisk.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

TEST(LocalDisk, NetworkFileSystemsAreKnownByTheirTypeAndLocalOnesPass) {
    const struct {
        unsigned long type;
        const char* name; // "" for a local file system
    } cases[] = {
        {0x6969, "NFS"},    {0x517B, "SMB"},  {0xFF534D42, "CIFS"}, {0xFE534D42, "SMB2"},
        {0x01021997, "9P"}, {0xEF53, ""},     {0x58465342, ""},     {0x01021994, ""},
        {0x9123683E, ""},   {0x794C7630, ""}, {0x65735546, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(embedded::networkFileSystem(c.type).value_or(QString()),
                  QString::fromLatin1(c.name))
            << std::hex << c.type;

    testsupport::TempDir dir;
    EXPECT_FALSE(embedded::networkFileSystemOf(dir.path(QStringLiteral("x"))).has_value());
    const QString refusal =
        embedded::networkShareRefusal(QStringLiteral("//srv/kel.sqlite"), QStringLiteral("NFS"));
    EXPECT_TRUE(refusal.contains(QStringLiteral("локальном диске")));
    EXPECT_TRUE(refusal.contains(QStringLiteral("SQL Server")));
}
