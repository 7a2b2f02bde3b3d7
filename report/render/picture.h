#pragma once

#include "report/files/output.h"

#include <QSize>
#include <QString>

#include <functional>

class QPainter;

namespace trelvo::report {

enum class PictureFormat { Png, Svg };

// The one way a picture is painted and saved: painted in memory, then written whole or not at
// all. The title goes into an SVG's metadata.
[[nodiscard]] WriteFailure SavePicture(const QString& target, OutputFile::Links links, PictureFormat format, QSize size,
                                       const QString& title, const std::function<void(QPainter&)>& paint);

// night.txt's picture: night.png (or .svg) beside it.
[[nodiscard]] QString DefaultPicture(const QString& path, PictureFormat format);

}  // namespace trelvo::report
