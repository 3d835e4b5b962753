#include "photobox.h"

#include "programfolder.h"

#include <QImageReader>
#include <QPixmap>
#include <QResizeEvent>

namespace photo {

PhotoBox::PhotoBox(QWidget* parent) : QLabel(parent)
{
    setAlignment(Qt::AlignCenter);
    // The box keeps the size the window gives it, whatever the picture's size.
    setMinimumSize(1, 1);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
}

QImage PhotoBox::readPicture(const QString& path)
{
    if (path.trimmed().isEmpty())
        return {};
    QImageReader reader(path);
    reader.setAutoTransform(true);
    return reader.read();
}

bool PhotoBox::LoadPicture(const QString& path)
{
    const QImage read = readPicture(path);
    setPicture(read);
    return !read.isNull() || path.trimmed().isEmpty();
}

void PhotoBox::setPicture(const QImage& picture)
{
    image = picture;
    rescale();
}

void PhotoBox::Clear() { setPicture(QImage()); }

bool PhotoBox::hasPicture() const { return !image.isNull(); }

void PhotoBox::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    rescale();
}

void PhotoBox::rescale()
{
    if (image.isNull() || width() <= 0 || height() <= 0) {
        QLabel::clear();
        return;
    }
    setPixmap(QPixmap::fromImage(image.scaled(size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

QString defaultPictureFile() { return platform::programFile(QStringLiteral("face05.ico")); }

}  // namespace photo
