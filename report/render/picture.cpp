#include "report/render/picture.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>

namespace trelvo::report {

WriteFailure SavePicture(const QString& target, OutputFile::Links links, PictureFormat format, QSize size,
                         const QString& title, const std::function<void(QPainter&)>& paint)
{
    // Made in memory first: an encoder that fails half-way never touches the disk.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (format == PictureFormat::Svg) {
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setSize(size);
        generator.setViewBox(QRect(QPoint(0, 0), size));
        // Written into the file as it is: a file name's & or < would break the XML.
        generator.setTitle(title.toHtmlEscaped());
        QPainter painter;
        if (!painter.begin(&generator))
            return Problem{Problem::Code::SvgNotStarted, {}};
        paint(painter);
        painter.end();
    } else {
        QImage image(size, QImage::Format_RGB32);
        QPainter painter(&image);
        paint(painter);
        painter.end();
        if (!image.save(&buffer, "PNG"))
            return Problem{Problem::Code::PngNotMade, {}};
    }
    return WriteWhole(target, buffer.data(), links);
}

QString DefaultPicture(const QString& path, PictureFormat format)
{
    return QFileInfo(path).path() + QLatin1Char('/') + QFileInfo(path).completeBaseName() +
           (format == PictureFormat::Svg ? QStringLiteral(".svg") : QStringLiteral(".png"));
}

}  // namespace trelvo::report
