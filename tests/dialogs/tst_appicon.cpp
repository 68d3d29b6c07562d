// The application icon: built into the program in several sizes, and kept as
// a multi-size .ico and a scalable picture for installers.
#include <QtTest>

#include <QIcon>
#include <QImageReader>

class TestAppIcon : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void builtInSizes_data() {
        QTest::addColumn<QString>("resource");
        QTest::addColumn<int>("size");
        QTest::newRow("window icon") << ":/icons/wavecrest.png" << 256;
        QTest::newRow("48") << ":/icons/wavecrest-48.png" << 48;
        QTest::newRow("32") << ":/icons/wavecrest-32.png" << 32;
        QTest::newRow("16") << ":/icons/wavecrest-16.png" << 16;
    }

    void builtInSizes() {
        QFETCH(QString, resource);
        QFETCH(int, size);
        const QImage image(resource);
        QVERIFY2(!image.isNull(), qPrintable(resource));
        QCOMPARE(image.size(), QSize(size, size));
        QVERIFY(image.hasAlphaChannel()); // the rounded corners are see-through
        QVERIFY(!QIcon(resource).isNull());
    }

    void iconFileHoldsThreeSizes() {
        QImageReader reader(qEnvironmentVariable("WAVECREST_TEST_SOURCE") +
                            "/resources/icons/wavecrest.ico");
        QList<int> widths;
        for (int i = 0; i < reader.imageCount(); ++i) {
            QVERIFY(reader.jumpToImage(i));
            widths << reader.read().width();
        }
        std::sort(widths.begin(), widths.end());
        QCOMPARE(widths, (QList<int>{16, 32, 48}));
    }

    void scalablePictureForTheDesktop() {
        QFile picture(qEnvironmentVariable("WAVECREST_TEST_SOURCE") +
                      "/resources/icons/wavecrest.svg");
        QVERIFY(picture.open(QIODevice::ReadOnly));
        QVERIFY(picture.readAll().contains("viewBox=\"0 0 256 256\""));
    }
};

QTEST_MAIN(TestAppIcon)
#include "tst_appicon.moc"
