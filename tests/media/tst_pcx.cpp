#include <QtTest>

class Testpcx : public QObject {
    Q_OBJECT
private slots:
    void placeholder() {}
};

QTEST_MAIN(Testpcx)
#include "tst_pcx.moc"
