#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QTest>

#include "resources/AppIcon.h"

namespace {

// The sizes the icon is drawn in, and the folder of the committed images (from CMake).
const QList<int> kSizes = {KALVEX_ICON_SIZES};
const QDir kIconDir(QStringLiteral(KALVEX_ICON_DIR));

// Pixmaps hold premultiplied alpha; compare every image in that form, where the same
// picture gives the same pixels whichever way it was stored.
QImage Normalised(const QImage& image) {
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage CommittedPng(int size) {
    return Normalised(QImage(kIconDir.filePath(QStringLiteral("kalvex-%1.png").arg(size))));
}

}  // namespace

class ResourcesTest : public QObject {
    Q_OBJECT
  private slots:
    // The program carries every size, so no window scales a large picture down.
    void programIconHasEveryDrawnSize() {
        const QIcon icon = KalvexIcon();
        for (int size : kSizes) {
            QVERIFY2(icon.availableSizes().contains(QSize(size, size)),
                     qPrintable(QString::number(size)));
            const QImage image = Normalised(icon.pixmap(QSize(size, size)).toImage());
            QCOMPARE(image.size(), QSize(size, size));
            QCOMPARE(image, CommittedPng(size));
        }
    }

    // The Windows icon holds the classic sizes, each the same picture as its PNG; a stale or
    // badly written ICO (rows upside down, wrong colour order) differs.
    void windowsIconMatchesThePngs() {
        QImageReader reader(kIconDir.filePath(QStringLiteral("kalvex.ico")));
        QVERIFY2(reader.canRead(), qPrintable(reader.errorString()));
        QList<int> found;
        for (int i = 0; i < reader.imageCount(); ++i) {
            QVERIFY(reader.jumpToImage(i));
            const QImage image = Normalised(reader.read());
            QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
            QCOMPARE(image, CommittedPng(image.width()));  // square, as every PNG is
            found.append(image.width());
        }
        QCOMPARE(found, (QList<int>{16, 24, 32, 48, 64, 256}));
    }
};

QTEST_MAIN(ResourcesTest)
#include "resources_test.moc"
