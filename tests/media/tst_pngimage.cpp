#include <QtTest>

class Testpngimage : public QObject {
    Q_OBJECT
private slots:
    void placeholder() {}
};

QTEST_MAIN(Testpngimage)
#include "tst_pngimage.moc"
