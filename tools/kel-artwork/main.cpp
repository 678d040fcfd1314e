// kel-artwork: writes the sign-in window's two JPEG pictures into a folder, or with --icons
// the program's icon at the sizes a desktop menu asks for.
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

bool writeIcons(const QDir& folder) {
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString name = QStringLiteral("%1x%1").arg(size);
        const QString path = folder.filePath(name + QStringLiteral("/kel14.png"));
        QImageWriter writer(path, "png");
        if (!folder.mkpath(name) || !writer.write(artwork::paintIcon(size))) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(writer.errorString()));
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const bool icons = argc == 3 && QByteArray(argv[1]) == "--icons";
    if (argc != 2 && !icons) {
        std::fputs("Usage: kel-artwork FOLDER | kel-artwork --icons FOLDER\n", stderr);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[argc - 1]));
    if (icons)
        return writeIcons(folder) ? 0 : 1;
    const bool ok = writeJpeg(artwork::paintUpperPicture(), folder.filePath("Image1.jpg")) &&
                    writeJpeg(artwork::paintPanelPicture(), folder.filePath("Image2.jpg"));
    return ok ? 0 : 1;
}
