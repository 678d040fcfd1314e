// A temporary folder that fails the test loudly when it cannot be made.
#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

namespace testsupport {

class TempDir {
public:
    TempDir() { EXPECT_TRUE(dir_.isValid()) << dir_.errorString().toStdString(); }
    QString path(const QString& name) const { return dir_.filePath(name); }

    // Writes bytes to a file in the folder and returns its path.
    QString write(const QString& name, const QByteArray& bytes) const {
        QFile f(path(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly)) << f.errorString().toStdString();
        f.write(bytes);
        return f.fileName();
    }

private:
    QTemporaryDir dir_;
};

} // namespace testsupport
