// The scanner must find exactly what Qt's parser finds in JSON, and must refuse to split any
// text whose parts could be judged differently from the whole.
#include "models/qovjsonscan.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

namespace {
using Scan = QovJsonScan;

QJsonValue parsed(const QByteArray &text)
{
    // Wrapped, so that any value parses, not only objects and arrays.
    return QJsonDocument::fromJson("[" + text + "]").array().at(0);
}
} // namespace

class TestJsonScan : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void splitsAtTheArrayOfObjects_data();
    void splitsAtTheArrayOfObjects();
    void refusesShapesItCannotSplitSafely_data();
    void refusesShapesItCannotSplitSafely();
    void membersAndElementsMatchQt_data();
    void membersAndElementsMatchQt();
    void isStrict_data();
    void isStrict();
    void hasMember_data();
    void hasMember();
};

void TestJsonScan::splitsAtTheArrayOfObjects_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("count");
    QTest::newRow("compact") << QByteArray(R"({"a":1,"devices":[{"x":1},{"y":[2]}],"z":"]"})") << 2;
    QTest::newRow("blanks everywhere")
        << QByteArray(" \n{ \"devices\" :\t[ {\"x\" : \"}\"} ,\r\n{ } ] , \"b\" : [ ] }\n") << 2;
    QTest::newRow("strings hold brackets, quotes and backslashes")
        << QByteArray(R"({"t":"{[\"\\","devices":[{"s":"\"}]{[\\"},{"s":"\\\""}]})") << 2;
    QTest::newRow("empty array") << QByteArray(R"({"devices":[]})") << 0;
    QTest::newRow("nested devices key is not the member")
        << QByteArray(R"({"x":{"devices":[1]},"devices":[{"devices":[]}]})") << 1;
}

void TestJsonScan::splitsAtTheArrayOfObjects()
{
    QFETCH(QByteArray, text);
    QFETCH(int, count);
    Scan::Split split;
    QVERIFY(Scan::splitArrayMember(text, "devices", &split));

    // The parts, parsed apart, are the whole parsed at once.
    const QJsonDocument skeleton = QJsonDocument::fromJson(split.skeleton);
    QVERIFY2(skeleton.isObject(), split.skeleton.constData());
    QJsonObject root = skeleton.object();
    QJsonArray devices;
    for (const QByteArray &element : split.elements) {
        const QJsonDocument device = QJsonDocument::fromJson(element);
        QVERIFY2(device.isObject(), element.constData());
        devices.append(device.object());
    }
    QCOMPARE(root.value("devices").toArray().size(), count);
    root.insert("devices", devices);
    QCOMPARE(root, QJsonDocument::fromJson(text).object());
}

void TestJsonScan::refusesShapesItCannotSplitSafely_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("not an object") << QByteArray(R"([{"devices":[{}]}])");
    QTest::newRow("member missing") << QByteArray(R"({"device":[{}]})");
    QTest::newRow("member repeated") << QByteArray(R"({"devices":[{}],"devices":[{"a":1}]})");
    // Its raw name differs from "devices", yet Qt reads it as another "devices".
    QTest::newRow("escaped name beside it") << QByteArray(R"({"devices":[{}],"d\u0065vices":[]})");
    QTest::newRow("escaped name alone") << QByteArray(R"({"d\u0065vices":[{}]})");
    QTest::newRow("not an array") << QByteArray(R"({"devices":{"a":{}}})");
    QTest::newRow("an element not an object") << QByteArray(R"({"devices":[{},3]})");
    QTest::newRow("trailing comma") << QByteArray(R"({"devices":[{},]})");
    QTest::newRow("missing comma") << QByteArray(R"({"devices":[{} {}]})");
    QTest::newRow("unterminated element") << QByteArray(R"({"devices":[{"a":"}"])");
    QTest::newRow("unterminated name") << QByteArray(R"({"devi)");
    QTest::newRow("missing colon") << QByteArray(R"({"devices" [{}]})");
}

void TestJsonScan::refusesShapesItCannotSplitSafely()
{
    QFETCH(QByteArray, text);
    Scan::Split split;
    QVERIFY(!Scan::splitArrayMember(text, "devices", &split));
}

void TestJsonScan::membersAndElementsMatchQt_data()
{
    QTest::addColumn<QByteArray>("object");
    QTest::newRow("compact") << QByteArray(R"({"a":1,"b":[1,{"c":"]"}],"d":{"e":null}})");
    QTest::newRow("blanks") << QByteArray(
        "{ \"a\" : -1.5e3 ,\n \"b\":[ true , false ] , \"\":\"\" }");
    QTest::newRow("empty") << QByteArray("{ }");
    QTest::newRow("strings with escapes") << QByteArray(R"({"q":"\"{","r":"\\","s":"\u007d"})");
    QTest::newRow("non-ASCII") << QByteArray("{\"caf\xC3\xA9\":\"\xF0\x9F\x8E\xB5\"}");
}

void TestJsonScan::membersAndElementsMatchQt()
{
    QFETCH(QByteArray, object);
    const QJsonObject expected = QJsonDocument::fromJson(object).object();
    QVector<Scan::Member> members;
    QVERIFY(Scan::members(object, &members));
    QCOMPARE(members.size(), expected.size());
    QJsonObject rebuilt;
    QVector<QByteArray> texts;
    for (const Scan::Member &member : members) {
        const QJsonValue value = parsed(member.value);
        QCOMPARE(value, expected.value(QString::fromUtf8(member.name)));
        rebuilt.insert(QString::fromUtf8(member.name), value);
        texts << member.text;
        if (value.isArray()) {
            const QVector<QByteArray> elements = Scan::elements(member.value);
            QCOMPARE(elements.size(), value.toArray().size());
            for (int i = 0; i < elements.size(); ++i) {
                QCOMPARE(parsed(elements.at(i)), value.toArray().at(i));
            }
        }
    }
    QCOMPARE(rebuilt, expected);
    // Members' texts make the same object again.
    QCOMPARE(QJsonDocument::fromJson(Scan::objectOf(texts)).object(), expected);
    QCOMPARE(Scan::objectOf({}), QByteArray("{}"));

    // A name with an escape is not told apart from its text.
    QVERIFY(!Scan::members(R"({"a":1,"\u0062":2})", &members));
    QVERIFY(!Scan::members("[1]", &members));
}

void TestJsonScan::isStrict_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("strict");
    const auto row = [](const char *name, const QByteArray &text, bool strict) {
        QTest::newRow(name) << text << strict;
    };
    row("object with every kind of value",
        R"( {"a":[1,-0,0.5,-12.25e+3,1E-2,true,false,null,"s",{},[]],"":{"b":"\u00e9\n\/"}} )",
        true);
    row("bare number", "-0.0", true);
    row("UTF-8 in a string", "\"caf\xC3\xA9\"", true);
    row("lone surrogate escape", R"(["\ud800"])", true);
    row("leading point", R"({"a":.5})", false);
    row("trailing point", R"({"a":1.})", false);
    row("leading zero", R"([01])", false);
    row("plus sign", R"([+1])", false);
    row("empty exponent", R"([1e])", false);
    row("unknown escape", R"(["\x"])", false);
    row("short unicode escape", R"(["\u12"])", false);
    row("raw tab in a string", "[\"a\tb\"]", false);
    row("raw NUL in a name", QByteArray("{\"a\0\":1}", 8), false);
    row("trailing comma", R"([1,])", false);
    row("missing value", R"({"a":})", false);
    row("two values", R"({} {})", false);
    row("cut short", R"({"a":[1)", false);
    row("misspelt word", R"([tru])", false);
    row("empty", "", false);
    row("1024 levels", QByteArray(1024, '[') + QByteArray(1024, ']'), true);
    row("1025 levels", QByteArray(1025, '[') + QByteArray(1025, ']'), false);
}

// What is strict must parse in Qt too; the rows hold what a page's JSON.parse refuses.
void TestJsonScan::isStrict()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, strict);
    QCOMPARE(Scan::isStrict(text), strict);
    if (strict) {
        // Qt parses objects and arrays alone; anything else inside an array.
        const QByteArray trimmed = text.trimmed();
        const bool container = trimmed.startsWith('{') || trimmed.startsWith('[');
        QJsonParseError error;
        QJsonDocument::fromJson(container ? text : "[" + text + "]", &error);
        QCOMPARE(error.error, QJsonParseError::NoError);
    }
}

void TestJsonScan::hasMember_data()
{
    QTest::addColumn<QByteArray>("object");
    QTest::addColumn<int>("found");
    const int no = int(Scan::Found::No);
    const int yes = int(Scan::Found::Yes);
    const int unknown = int(Scan::Found::Unknown);
    QTest::newRow("top level") << QByteArray(R"({"a":1,"index":2})") << yes;
    QTest::newRow("with blanks") << QByteArray(" { \"a\" : { \"index\" : 1 } , \"index\" : 0 }")
                                 << yes;
    QTest::newRow("only nested") << QByteArray(R"({"a":{"index":1},"b":[{"index":2}]})") << no;
    QTest::newRow("only in a string") << QByteArray(R"({"a":"\"index\":1"})") << no;
    QTest::newRow("longer name") << QByteArray(R"({"indexes":1,"inde":2})") << no;
    QTest::newRow("empty") << QByteArray("{}") << no;
    QTest::newRow("escaped name may be it") << QByteArray(R"({"ind\u0065x":1})") << unknown;
    QTest::newRow("found before an escaped name") << QByteArray(R"({"index":1,"\u0041":2})") << yes;
}

void TestJsonScan::hasMember()
{
    QFETCH(QByteArray, object);
    QTEST(int(Scan::hasMember(object, "index")), "found");
}

QTEST_APPLESS_MAIN(TestJsonScan)
#include "tst_jsonscan.moc"
