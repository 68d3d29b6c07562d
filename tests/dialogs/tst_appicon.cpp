// The application icon: built into the program in several sizes with
// see-through corners, and kept as a multi-size .ico for installers.
#include <QImageReader>
#include <QtTest>

class TestAppIcon : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sizes_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QList<int>>("sizes");
        const QString folder = qEnvironmentVariable("WAVECREST_TEST_SOURCE") + "/resources/icons";
        QTest::newRow("window icon") << ":/icons/wavecrest.png" << QList<int>{256};
        QTest::newRow("16") << ":/icons/wavecrest-16.png" << QList<int>{16};
        QTest::newRow(".ico") << folder + "/wavecrest.ico" << QList<int>{16, 32, 48};
    }

    void sizes() {
        QFETCH(QString, file);
        QFETCH(QList<int>, sizes);
        QImageReader reader(file);
        QList<int> found;
        do {
            const QImage image = reader.read();
            QCOMPARE(image.width(), image.height());
            QVERIFY(image.hasAlphaChannel()); // the rounded corners are see-through
            found << image.width();
        } while (reader.jumpToNextImage());
        std::sort(found.begin(), found.end());
        QCOMPARE(found, sizes);
    }
};

QTEST_MAIN(TestAppIcon)
#include "tst_appicon.moc"
