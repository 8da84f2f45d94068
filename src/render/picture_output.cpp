#include "render/picture_output.h"

#include <QSaveFile>

namespace tarnova::render {

std::optional<PictureFormat> PictureFormatOfPath(const QString&) {
    return std::nullopt;
}
QByteArray DrawEmf(QSize, const QFont&, const QString&, const Drawing&) {
    return {};
}
QByteArray DrawSvg(QSize, const QFont&, const QString&, const Drawing&) {
    return {};
}
QImage DrawImage(QSize, const QFont&, const Drawing&) {
    return {};
}
QByteArray DrawPng(QSize, const QFont&, const Drawing&) {
    return {};
}
QByteArray DrawPicture(PictureFormat, QSize, const QFont&, const QString&, const Drawing&) {
    return {};
}
bool SaveFileAtomically(const QString&, const QByteArray&) {
    return false;
}

} // namespace tarnova::render
