#pragma once
#include <QImage>
#include <QLabel>
#include <QString>

namespace photo {

// An image box for a person's photo: jpg, gif and bmp (and ico) through
// Qt's image readers, scaled to fit the box with its proportions kept.
class PhotoBox : public QLabel {
    Q_OBJECT
public:
    explicit PhotoBox(QWidget* parent = nullptr);

    // Shows the picture in the file. Empty text clears the box and counts as
    // loaded; a missing or unreadable file clears it and returns false.
    bool LoadPicture(const QString& path);
    // Shows a picture read before (a null image clears the box).
    void setPicture(const QImage& image);
    void Clear();
    bool hasPicture() const;
    QImage picture() const { return image; }

    // The picture in a file, or a null image when it can't be read.
    static QImage readPicture(const QString& path);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void rescale();
    QImage image;
};

// face05.ico in the program folder: the picture for a person without a photo.
QString defaultPictureFile();

}  // namespace photo
