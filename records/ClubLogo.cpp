// Scaling and PNG encoding of a club's logo.
#include "records/ClubLogo.h"

#include <QBuffer>
#include <QPixmap>

ClubLogo::ClubLogo(QSize maxSize) : maxSize(maxSize)
{
}

bool ClubLogo::setPixmap(const QPixmap& pixmap)
{
    data.clear();
    if (pixmap.isNull())
        return false;
    QPixmap image = pixmap;
    if (maxSize.isValid() && (image.width() > maxSize.width() || image.height() > maxSize.height()))
        image = image.scaled(maxSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    // A fresh buffer: a shorter image must not leave the old one's tail behind.
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
        return false;
    data = png;
    return true;
}

bool ClubLogo::setData(const QByteArray& bytes)
{
    QPixmap pixmap;
    pixmap.loadFromData(bytes);
    return setPixmap(pixmap);
}

bool ClubLogo::setMaxSize(const QSize& size)
{
    maxSize = size;
    return setData(data);
}
