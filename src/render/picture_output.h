// Pictures of a drawing as EMF, SVG and PNG bytes, and saving them atomically; shared by the
// graph window (Save As, Copy) and tarnova-cli graph.
#pragma once

#include "platform/surface.h"

#include <QByteArray>
#include <QFont>
#include <QImage>
#include <QSize>
#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace tarnova::render {

enum class PictureFormat { Emf, Svg, Png };

// The format named by the extension of path (.emf, .svg, .png, in any case); none otherwise.
std::optional<PictureFormat> PictureFormatOfPath(std::string_view path);

// The line height and average character width of font in pictures (a 96-dpi device, as the
// screen): what a drawing lays itself out by.
FontMetrics PictureFontMetrics(const QFont& font);

// Draws on a surface whose drawing area is (0, 0, size.width(), size.height()).
using Drawing = std::function<void(Surface& surface)>;

// An enhanced metafile of the drawing; its frame is the canvas, its description
// "Tarnova\0title\0\0", its texts name font with the font's own character advances.
QByteArray DrawEmf(QSize size, const QFont& font, const QString& title, const Drawing& drawing);
// An SVG document (QSvgGenerator) of the drawing, with title as its title.
QByteArray DrawSvg(QSize size, const QFont& font, const QString& title, const Drawing& drawing);
// The drawing on a white image, as it appears in a window.
QImage DrawImage(QSize size, const QFont& font, const Drawing& drawing);
QByteArray DrawPng(QSize size, const QFont& font, const Drawing& drawing);
QByteArray DrawPicture(PictureFormat format, QSize size, const QFont& font, const QString& title,
                       const Drawing& drawing);

// Replaces the file at path (the file system's bytes, as given) with bytes in one step
// (writeWholeFile): either the whole new file is there afterwards or the old one is untouched.
// False when it cannot be written, with the system's reason in error when given.
bool SaveFileAtomically(const std::string& path, const QByteArray& bytes,
                        std::error_code* error = nullptr);

} // namespace tarnova::render
