#include <QTranslator>
#include <QtTest>

// The catalogue is compiled from its .ts source at build time and built into the program.
class TestTranslation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void catalogueTranslatesDirectionNames_data();
    void catalogueTranslatesDirectionNames();
    void otherTextsStayAsWritten();
};

void TestTranslation::catalogueTranslatesDirectionNames_data()
{
    QTest::addColumn<QString>("context");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("shown");

    QTest::newRow("app to device") << "QovProgramSettingsDialog"
                                   << "App to Device" << QString::fromUtf8("App \u2192 Device");
    QTest::newRow("device to app") << "QovProgramSettingsDialog"
                                   << "Device to App" << QString::fromUtf8("Device \u2192 App");
}

void TestTranslation::catalogueTranslatesDirectionNames()
{
    QFETCH(QString, context);
    QFETCH(QString, source);
    QTranslator translator;
    QVERIFY(translator.load(QStringLiteral("velmora_en.qm"), QStringLiteral(":/translations")));
    QTEST(translator.translate(context.toUtf8(), source.toUtf8()), "shown");
    QCOMPARE(translator.language(), QStringLiteral("en_US"));
}

void TestTranslation::otherTextsStayAsWritten()
{
    QTranslator translator;
    QVERIFY(translator.load(QStringLiteral("velmora_en.qm"), QStringLiteral(":/translations")));
    // Only the settings dialog's context holds these texts; elsewhere they are not translated.
    QCOMPARE(translator.translate("QovConnectDeviceDialog", "App to Device"), QString());
    QCOMPARE(translator.translate("QovProgramSettingsDialog", "OK"), QString());
}

QTEST_GUILESS_MAIN(TestTranslation)
#include "tst_translation.moc"
