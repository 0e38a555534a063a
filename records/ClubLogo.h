// A club's logo: an image kept as PNG bytes and never larger than its limit.
#pragma once

#include <QByteArray>
#include <QSize>

class QPixmap;

class ClubLogo
{
public:
    // An invalid size (negative width or height) sets no limit.
    explicit ClubLogo(QSize maxSize);

    // Stores the image, scaled down into the limit keeping its aspect ratio.
    // False, with no logo kept, for a null image or a failed PNG write.
    bool setPixmap(const QPixmap& pixmap);
    // Decodes image bytes of any format Qt reads and stores them as above.
    bool setData(const QByteArray& bytes);
    // Re-stores the logo under the new limit; false when there is no logo.
    bool setMaxSize(const QSize& size);

    bool operator==(const ClubLogo& other) const { return data == other.data; }

    QSize maxSize;
    QByteArray data;   // PNG; empty: no logo
};
