#pragma once

#include "EncodedImage.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>

// Writes a picture of one colour in the given format; the path it was written to.
inline QString writePicture(const QString& path, QSize size = QSize(8, 6), QColor colour = Qt::red,
                            const char* format = "PNG") {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    image.save(path, format);
    return path;
}

inline QByteArray pictureBytes(QSize size, const char* format) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            image.setPixel(x, y, qRgb(x * 13 % 256, y * 7 % 256, (x ^ y) % 256));
        }
    }
    return encodeImage(image, format);
}

inline void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(bytes);
}

// The date the folder logic sorts by: birth time where kept, else modification time.
inline QDateTime fileDate(const QString& path) {
    const QFileInfo info(path);
    return info.birthTime().isValid() ? info.birthTime() : info.lastModified();
}

// Files created from now on carry a later date than `path`: file-system clocks are coarse, so
// this waits for the clock to tick past it (a few milliseconds) by creating probe files.
inline void waitForLaterFileDates(const QDir& dir, const QString& path) {
    const QDateTime after = fileDate(path);
    const QString probe = dir.filePath(QStringLiteral(".clock-probe"));
    for (int i = 0; i < 100000; ++i) {
        QFile::remove(probe);
        writeBytes(probe, "x");
        if (fileDate(probe) > after) {
            break;
        }
    }
    QFile::remove(probe);
}
