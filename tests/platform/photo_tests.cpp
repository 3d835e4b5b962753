// The photo box: pictures by path, scaled to fit; nothing shown for a path
// that names no picture.
#include "photobox.h"
#include "testsupport.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

// Qt reads GIF but doesn't write it: a one-colour GIF written by hand. The
// pixel codes are sent with a clear code after every second one, so the
// code width stays at 3 bits and no compression is needed.
QByteArray solidGif(int width, int height, QRgb colour)
{
    QByteArray gif("GIF87a");
    auto word = [&gif](int v) { gif.append(char(v & 0xff)).append(char(v >> 8)); };
    word(width);
    word(height);
    gif.append(char(0x80)).append('\0').append('\0');  // a global table of two colours
    gif.append(char(qRed(colour))).append(char(qGreen(colour))).append(char(qBlue(colour)));
    gif.append(3, '\0');
    gif.append(',');
    word(0);
    word(0);
    word(width);
    word(height);
    gif.append('\0').append(char(2));  // no local table; minimum code size 2

    QByteArray codes;
    quint32 bits = 0;
    int count = 0;
    auto put = [&](int code) {
        bits |= quint32(code) << count;
        count += 3;
        while (count >= 8) {
            codes.append(char(bits & 0xff));
            bits >>= 8;
            count -= 8;
        }
    };
    const int clear = 4, end = 5;
    for (int i = 0; i < width * height; ++i) {
        if (i % 2 == 0)
            put(clear);
        put(0);
    }
    put(end);
    if (count > 0)
        codes.append(char(bits & 0xff));
    for (qsizetype at = 0; at < codes.size(); at += 255) {
        const QByteArray block = codes.mid(at, 255);
        gif.append(char(block.size())).append(block);
    }
    gif.append('\0').append(';');
    return gif;
}

class Photo : public ::testing::Test {
protected:
    QString picture(const char* format)
    {
        const QString path = dir.filePath(QStringLiteral("photo.") + QString::fromLatin1(format));
        if (qstrcmp(format, "gif") == 0) {
            QFile f(path);
            EXPECT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(solidGif(80, 40, qRgb(255, 0, 0)));
            return path;
        }
        QImage image(80, 40, QImage::Format_RGB32);
        image.fill(Qt::red);
        EXPECT_TRUE(image.save(path, format));
        return path;
    }

    QTemporaryDir dir;
    photo::PhotoBox box;
};

TEST_F(Photo, ShowsJpgGifAndBmpScaledToFit)
{
    box.resize(100, 100);
    box.show();
    for (const char* format : {"jpg", "gif", "bmp"}) {
        box.Clear();
        EXPECT_TRUE(box.LoadPicture(picture(format))) << format;
        ASSERT_TRUE(box.hasPicture()) << format;
        EXPECT_EQ(box.pixmap().size(), QSize(100, 50)) << format;
        EXPECT_GT(qRed(box.picture().pixel(40, 20)), 240) << format;
        EXPECT_LT(qGreen(box.picture().pixel(40, 20)), 16) << format;
    }
    box.resize(50, 200);
    EXPECT_EQ(box.pixmap().size(), QSize(50, 25));
}

TEST_F(Photo, EmptyPathClearsAndMissingOrBrokenFilesShowNothing)
{
    box.resize(100, 100);
    ASSERT_TRUE(box.LoadPicture(picture("bmp")));
    EXPECT_TRUE(box.LoadPicture(""));
    EXPECT_FALSE(box.hasPicture());
    EXPECT_TRUE(box.pixmap().isNull());

    ASSERT_TRUE(box.LoadPicture(picture("bmp")));
    EXPECT_FALSE(box.LoadPicture(dir.filePath("missing.jpg")));
    EXPECT_FALSE(box.hasPicture());

    QFile broken(dir.filePath("broken.jpg"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a picture");
    broken.close();
    EXPECT_FALSE(box.LoadPicture(broken.fileName()));
    EXPECT_FALSE(box.hasPicture());
    EXPECT_TRUE(photo::PhotoBox::readPicture(broken.fileName()).isNull());
}

TEST_F(Photo, TheDefaultPictureShipsInTheProgramFolder)
{
    const QImage face = photo::PhotoBox::readPicture(QStringLiteral(KESTROM_PROGRAM_DIR "/face05.ico"));
    ASSERT_FALSE(face.isNull());
    EXPECT_EQ(face.size(), QSize(64, 64));
    // A face on a clear ground: the corner is see-through, the middle is not.
    EXPECT_EQ(qAlpha(face.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(face.pixel(32, 50)), 255);
}

}  // namespace
