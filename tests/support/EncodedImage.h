#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QSize>

// Images as the bytes a file or another program holds, for tests and benchmarks.

// A quality other than the default makes bytes unlike what the program itself would write.
inline QByteArray encodeImage(const QImage& image, const char* format, int quality = -1) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, quality);
    return bytes;
}

// A picture of one colour.
inline QByteArray encodedImage(const char* format, QSize size = {4, 3}, QColor color = Qt::red) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    return encodeImage(image, format);
}
