// kel-artwork: writes the sign-in window's two JPEG pictures into a folder.
#include "Artwork.h"

#include <QDir>
#include <QGuiApplication>
#include <QImageWriter>

#include <cstdio>

namespace {

bool writeJpeg(const QImage& image, const QString& path) {
    QImageWriter writer(path, "jpeg");
    writer.setQuality(92);
    writer.setOptimizedWrite(true);
    if (writer.write(image))
        return true;
    std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(writer.errorString()));
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fputs("Usage: kel-artwork FOLDER\n", stderr);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    const bool ok = writeJpeg(artwork::paintUpperPicture(), folder.filePath("Image1.jpg")) &&
                    writeJpeg(artwork::paintPanelPicture(), folder.filePath("Image2.jpg"));
    return ok ? 0 : 1;
}
