#include "models/qovjsonscan.h"
#include "models/qovprojectdatamodel.h"
#include "projectfixture.h"
#include "tempprofile.h"

#include <QJsonArray>
#include <QtTest>

#include <chrono>
#include <functional>
#include <future>
#include <memory>

#include <sys/stat.h>

using namespace projectfixture;
using Getter = std::function<QVariant(QovProjectDataModel &)>;
Q_DECLARE_METATYPE(Getter)

namespace {
std::unique_ptr<QovProjectDataModel> parse(const QByteArray &text, QString *error)
{
    auto [model, key] = parseProject(QString::fromUtf8(text));
    *error = key;
    return std::unique_ptr<QovProjectDataModel>(model);
}

QovAppDeviceModel firstDevice(QovProjectDataModel &m)
{
    return m.appDevices().value(0);
}

// A character outside the basic plane: two UTF-16 units, as QLineEdit::maxLength counts it.
QString emoji(int count)
{
    return QString::fromUtf8("\xF0\x9F\x8E\xB5").repeated(count);
}

QByteArray utf16(const QByteArray &utf8, bool bigEndian)
{
    QByteArray bytes = bigEndian ? QByteArray("\xFE\xFF") : QByteArray("\xFF\xFE");
    for (const QChar c : QString::fromUtf8(utf8)) {
        const char high = char(c.unicode() >> 8);
        const char low = char(c.unicode() & 0xFF);
        bytes.append(bigEndian ? high : low).append(bigEndian ? low : high);
    }
    return bytes;
}
} // namespace

class TestProjectReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { redirectDataFolder(); }
    void init() { m_profile = std::make_unique<TempProfile>(); }
    void cleanup() { m_profile.reset(); }

    void wholeTextRejected_data();
    void wholeTextRejected();
    void namesFirstBadField_data();
    void namesFirstBadField();
    void acceptsAndNormalises_data();
    void acceptsAndNormalises();
    void deviceLimit_data();
    void deviceLimit();
    void decodesAsTextStream_data();
    void decodesAsTextStream();
    void onlyRegularFilesAreRead();
    void splitOrWholeReadAlike_data();
    void splitOrWholeReadAlike();

private:
    std::unique_ptr<TempProfile> m_profile;
};

void TestProjectReader::wholeTextRejected_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("error");
    QTest::newRow("empty") << QByteArray() << "";
    QTest::newRow("truncated") << compact(validProject(1)).chopped(1) << "";
    QTest::newRow("plain words") << QByteArray("project") << "";
    QTest::newRow("array reads version 0") << QByteArray("[]") << "version";
    QTest::newRow("empty object") << QByteArray("{}") << "version";
}

void TestProjectReader::wholeTextRejected()
{
    QFETCH(QByteArray, text);
    QString got = "unset";
    QVERIFY(!parse(text, &got));
    QTEST(got, "error");
}

void TestProjectReader::namesFirstBadField_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QJsonValue>("value");
    QTest::addColumn<QString>("error");
    const QJsonValue removed(QJsonValue::Undefined);
    const QString t31(31, 'x');

    // A bad value in a field the error names as it is: top-level ones, and the first device's.
    const auto top = [](const char *name, const QString &field, const QJsonValue &value) {
        QTest::newRow(name) << field << value << field;
    };
    const auto device = [](const char *name, const QString &field, const QJsonValue &value) {
        QTest::newRow(name) << "devices/0/" + field << value << "device[0]." + field;
    };

    top("version 2", "version", 2);
    top("version missing", "version", removed);
    top("version fraction", "version", 1.5);
    top("negative version is rejected", "version", -1);
    top("title 31", "title", t31);
    top("title not text", "title", 5);
    top("title slash", "title", "A/B");
    top("author missing", "author", removed);
    top("author 21", "author", QString(21, 'a'));
    top("dealer percent", "dealer", "100%");
    top("comment 201", "comment", QString(201, 'c'));
    top("comment backslash", "comment", "a\\b");
    // Lengths count UTF-16 units: 16 emoji are 32 units, which no title editor takes.
    top("title 16 emoji", "title", emoji(16));
    top("author 20 emoji", "author", emoji(20));
    top("author 10 emoji and a letter", "author", emoji(10) + "a");
    top("devices missing", "devices", removed);
    QTest::newRow("device not object") << "devices/0" << QJsonValue(3) << "device[0].name";
    device("name empty", "name", "");
    device("name blanks", "name", "   ");
    device("name 31", "name", t31);
    device("name ampersand", "name", "A&B");
    device("name not ASCII", "name", "Caf\u00e9");
    device("model lower case", "model", "zeph-2208");
    device("model Unknown", "model", "Unknown");
    device("mac missing", "mac", removed);
    device("mac five pairs", "mac", "00:11:22:33:44");
    device("mac not hex", "mac", "00:11:22:33:44:GG");
    device("color 7", "color", 7);
    device("color -1", "color", -1);
    device("color fraction", "color", 2.5);
    device("id 256", "id", 256);
    device("id -2", "id", -2);
    device("id missing", "id", removed);
    QTest::newRow("data missing") << "devices/0/data" << removed << "device[0].data.preset_list";
    QTest::newRow("preset_list empty")
        << "devices/0/data/preset_list" << QJsonValue(QJsonArray{}) << "device[0].data.preset_list";
    QTest::newRow("partial_list missing")
        << "devices/0/data/partial_list" << removed << "device[0].data.partial_list";
    // A member name holding U+0000, at any depth, names its data set: no mixer takes it.
    const QString nul = QString("b") + QChar(0);
    QTest::newRow("NUL in a name inside the second preset")
        << "devices/0/data/preset_list"
        << QJsonValue(QJsonArray{QJsonObject{}, QJsonObject{{"a", QJsonObject{{nul, 1}}}}})
        << "device[0].data.preset_list[1]";
    QTest::newRow("NUL in a name inside an EQ library")
        << "devices/0/data/eq12_lib"
        << QJsonValue(QJsonObject{{"g", QJsonArray{QJsonObject{{nul, 1}}}}})
        << "device[0].data.eq12_lib";
    QTest::newRow("NUL in a name inside the current state")
        << "devices/0/data/mix" << QJsonValue(QJsonObject{{nul, 1}}) << "device[0].data.*";
    device("address empty", "address", "");
    device("address not text", "address", 5);
    device("address with port", "address", "mixer:80");
    device("address with path", "address", "mixer/x");
    device("address label starts with hyphen", "address", "-mixer.local");
    device("address empty label", "address", "mixer..local");
    device("address label of 64", "address", QString(64, 'm'));
    device("address of 254", "address",
           QString(63, 'a') + '.' + QString(63, 'b') + '.' + QString(63, 'c') + '.' +
               QString(62, 'd'));
    device("address not ASCII", "address", "m\u00efxer");
    QTest::newRow("second device") << "devices/1/id" << QJsonValue(300) << "device[1].id";
    QTest::newRow("first failure wins") << "devices/1/name" << QJsonValue("") << "device[1].name";
}

void TestProjectReader::namesFirstBadField()
{
    QFETCH(QString, path);
    QFETCH(QJsonValue, value);
    QJsonObject root = validProject(2);
    // A bad field after every one the rows touch: the reader must report the first.
    patch(root, "devices/1/data", QJsonValue(QJsonValue::Undefined));
    patch(root, path, value);
    QString got;
    QVERIFY(!parse(compact(root), &got));
    QTEST(got, "error");
}

void TestProjectReader::acceptsAndNormalises_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QJsonValue>("value");
    QTest::addColumn<Getter>("get");
    QTest::addColumn<QVariant>("expected");

    const Getter title = [](QovProjectDataModel &m) { return m.projectName(); };
    const Getter comment = [](QovProjectDataModel &m) { return m.projectDescription(); };
    const Getter name = [](QovProjectDataModel &m) { return firstDevice(m)->deviceName(); };
    const Getter mac = [](QovProjectDataModel &m) { return firstDevice(m)->macAddress(); };
    const Getter id = [](QovProjectDataModel &m) { return firstDevice(m)->deviceId(); };
    const Getter color = [](QovProjectDataModel &m) { return firstDevice(m)->headerColor(); };
    const Getter type = [](QovProjectDataModel &m) { return int(firstDevice(m)->deviceType()); };
    const Getter address = [](QovProjectDataModel &m) { return firstDevice(m)->addedAddress(); };
    const QString t30(30, 'x');
    const auto row = [](const char *name, const QString &path, const QJsonValue &value,
                        const Getter &get, const QVariant &expected) {
        QTest::newRow(name) << path << value << get << expected;
    };

    row("title 30 inside blanks stored trimmed", "title", "  " + t30 + "\t ", title, t30);
    row("empty title", "title", "", title, "");
    row("title 30 non-ASCII", "title", QString(30, QChar(0x00e9)), title,
        QString(30, QChar(0x00e9)));
    row("comment 200", "comment", QString(200, 'c'), comment, QString(200, 'c'));
    row("title 15 emoji", "title", emoji(15), title, emoji(15));
    row("name punctuation", "devices/0/name", " !#$'()*+,-.:;=?@[]^_`{|}~ ", name,
        "!#$'()*+,-.:;=?@[]^_`{|}~");
    row("name 30 trimmed", "devices/0/name", " " + t30 + " ", name, t30);
    row("mac lower case with dashes", "devices/0/mac", " aa-bb-cc-0d-ee-f1 ", mac,
        "AA:BB:CC:0D:EE:F1");
    row("id -1", "devices/0/id", -1, id, -1);
    row("id 255", "devices/0/id", 255, id, 255);
    row("id 7.0", "devices/0/id", 7.0, id, 7);
    row("color 6", "devices/0/color", 6, color, 6);
    row("model padded", "devices/0/model", " ZEPH-2208NET ", type,
        int(QovDeviceSelector::ZEPH2208NET));
    row("no address, as in older files", "devices/0/address", QJsonValue(QJsonValue::Undefined),
        address, "");
    row("address trimmed", "devices/0/address", " 192.168.1.50\t", address, "192.168.1.50");
    row("address link-local", "devices/0/address", "169.254.10.7", address, "169.254.10.7");
    row("address host name", "devices/0/address", "FOH-1.stage.example", address,
        "FOH-1.stage.example");
    row("unknown keys ignored", "extra", QJsonArray{1}, title, "T");
}

void TestProjectReader::acceptsAndNormalises()
{
    QFETCH(QString, path);
    QFETCH(QJsonValue, value);
    QFETCH(Getter, get);
    QJsonObject root = validProject(1);
    patch(root, path, value);
    QString error;
    const auto model = parse(compact(root), &error);
    QVERIFY2(model, qPrintable(error));
    QTEST(get(*model), "expected");
    QVERIFY(!model->isEdited());
    // The default project sits directly in the user's data folder, without sub-folders.
    QCOMPARE(model->savePath(),
             QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME")) + "/vlm-default.vlmproj");
    QVERIFY2(!QFile::exists(model->autosavePath()), "parsing alone writes no autosave file");
}

void TestProjectReader::deviceLimit_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<int>("devices");
    QTest::addColumn<QString>("error");
    QTest::newRow("256 under the default") << QByteArray() << 256 << "";
    QTest::newRow("257 under the default") << QByteArray() << 257 << "devices";
    QTest::newRow("3 under a limit of 3")
        << QByteArray("[Debug]\nmax_of_project_devices=3\n") << 3 << "";
    QTest::newRow("4 under a limit of 3")
        << QByteArray("[Debug]\nmax_of_project_devices=3\n") << 4 << "devices";
}

void TestProjectReader::deviceLimit()
{
    QFETCH(QByteArray, settings);
    QFETCH(int, devices);
    QFETCH(QString, error);
    if (!settings.isEmpty()) {
        m_profile->writeProgramSettings(settings);
    }
    QString got;
    const auto model = parse(compact(validProject(devices)), &got);
    QCOMPARE(got, error);
    QCOMPARE(bool(model), error.isEmpty());
    if (model) {
        QCOMPARE(model->appDevices().size(), devices);
        // Full: one more is refused.
        QVERIFY(!model->addDevice(std::make_shared<QovAppDeviceModelInternal>()));
        QCOMPARE(model->appDevices().size(), devices);
    }
}

void TestProjectReader::decodesAsTextStream_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("title");

    QJsonObject accented = validProject(1);
    patch(accented, "title", QString::fromUtf8("Caf\xC3\xA9 \xE2\x82\xAC"));
    const QByteArray text = compact(accented);
    const QString expected = QString::fromUtf8("Caf\xC3\xA9 \xE2\x82\xAC");
    QTest::newRow("UTF-8") << text << expected;
    QTest::newRow("UTF-8 with a byte-order mark") << "\xEF\xBB\xBF" + text << expected;
    QTest::newRow("UTF-16 LE with a byte-order mark") << utf16(text, false) << expected;
    QTest::newRow("UTF-16 BE with a byte-order mark") << utf16(text, true) << expected;

    // Latin-1 bytes in a file that is otherwise UTF-8: each bad byte becomes U+FFFD.
    QByteArray latin1 = compact(validProject(1));
    latin1.replace("\"title\":\"T\"", "\"title\":\"Caf\xE9\"");
    QTest::newRow("invalid UTF-8 in the title") << latin1 << QString("Caf") + QChar(0xFFFD);
    QByteArray inData = compact(validProject(1));
    inData.replace("\"partial_list\"", "\"note\":\"\xC0\xAF\xFF\",\"partial_list\"");
    QTest::newRow("invalid UTF-8 in the mixer data") << inData << "T";
    // The invalid byte sends the text through the decoder, which must not stop at a NUL.
    QByteArray withNul = latin1;
    withNul.replace("\"partial_list\"", QByteArray("\"note\":\"a\0b\",\"partial_list\"", 27));
    QTest::newRow("invalid UTF-8 and a NUL byte") << withNul << QString("Caf") + QChar(0xFFFD);
    // ASCII is checked eight bytes at a time: the bad byte at every position within a word.
    for (int shift = 0; shift < 8; ++shift) {
        QTest::addRow("invalid UTF-8 after %d leading spaces", shift)
            << QByteArray(shift, ' ') + latin1 << QString("Caf") + QChar(0xFFFD);
    }
}

// Files that other programs wrote, or that a text editor saved in another encoding, open
// as they would open in that editor.
void TestProjectReader::decodesAsTextStream()
{
    QFETCH(QByteArray, bytes);
    const QString file = m_profile->path() + "/encoded.vlmproj";
    QVERIFY(writeAll(file, bytes));
    auto [model, error] = loadProject(file);
    std::unique_ptr<QovProjectDataModel> loaded(model);
    QVERIFY2(loaded, qPrintable("refused: " + error));
    QTEST(loaded->projectName(), "title");
    QCOMPARE(loaded->appDevices().size(), 1);
    loaded->waitForAutosave();
}

// A pipe or a folder given as a project is refused at once: opening a pipe would wait for a
// writer for ever, with the window busy and no way out.
void TestProjectReader::onlyRegularFilesAreRead()
{
    const QString pipe = m_profile->path() + "/pipe.vlmproj";
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    auto reading = std::async(std::launch::async, [pipe] { return loadProject(pipe); });
    if (reading.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        // Lets the reader end: a writer that comes and goes.
        QFile writer(pipe);
        QVERIFY(writer.open(QIODevice::WriteOnly));
        writer.close();
        reading.wait();
        QFAIL("reading a pipe waited for a writer");
    }
    QVERIFY(!std::get<0>(reading.get()));

    for (const QString &path : {pipe, m_profile->path()}) {
        QString problem;
        QVERIFY(readProjectFile(path, &problem).isNull());
        QCOMPARE(problem, QStringLiteral("not a regular file"));
    }
    QString problem;
    QVERIFY(readProjectFile(m_profile->path() + "/missing.vlmproj", &problem).isNull());
    QVERIFY2(problem.contains("No such file"), qPrintable(problem));
}

namespace {
// The same project with its "devices" named through an escape: the reader cannot split it at
// its devices and parses it whole.
QByteArray readWhole(QByteArray text)
{
    const int at = text.indexOf("\"devices\"");
    return text.replace(at, 9, "\"d\\u0065vices\"");
}

QString dataOf(QovProjectDataModel &model)
{
    QStringList out;
    for (const QovAppDeviceModel &device : model.appDevices()) {
        const QovZephData data = device->zephData();
        QStringList sets = data.preset + data.partialPreset;
        sets << data.eq4Band << data.eq12Band << data.current;
        for (const QString &set : sets) {
            const QJsonDocument document = QJsonDocument::fromJson(set.toUtf8());
            out << (document.isObject() ? compact(document.object()) : "not an object: " + set);
        }
    }
    return out.join('\n');
}
} // namespace

void TestProjectReader::splitOrWholeReadAlike_data()
{
    QTest::addColumn<QByteArray>("device");
    QTest::addColumn<bool>("valid");
    const QByteArray head = R"({"name":"M","model":"ZEPH-2208","mac":"","color":1,"id":3,"data":)";
    const auto row = [&head](const char *name, const QByteArray &data, bool valid = true) {
        QTest::newRow(name) << head + data + "}" << valid;
    };
    row("plain",
        R"({"level":1,"preset_list":[{"a":1},{"b":[1,2]}],"partial_list":)"
        R"([{"index":0,"p":"}"},{"q":1,"index":1}],"eq4_lib":{"e":4},"eq12_lib":{"f":[]}})");
    row("blanks everywhere", " {\n \"level\" : 1 ,\t\"preset_list\" : [ { \"a\" : 1 } , { } ] ,"
                             " \"partial_list\" : [ { \"index\" : 0 , \"p\" : \"]\" } , { } ] ,"
                             " \"eq4_lib\" : { } }\r\n");
    row("index named with an escape",
        R"({"preset_list":[{}],"partial_list":[{"\u0069ndex":0,"p":1}]})");
    row("index repeated", R"({"preset_list":[{}],"partial_list":[{"index":0,"p":1,"index":2}]})");
    row("current member repeated",
        R"({"level":1,"preset_list":[{}],"level":2,"partial_list":[{}]})");
    row("list repeated",
        R"({"preset_list":[{"a":1}],"partial_list":[{}],"preset_list":[{"b":2}]})");
    row("list repeated through an escape",
        R"({"pre\u0073et_list":[{"x":1}],"preset_list":[{"y":1}],"partial_list":[{}]})");
    row("library named only through an escape",
        R"({"eq4\u005flib":{"e":1},"preset_list":[{}],"partial_list":[{}]})");
    row("sets that are not objects",
        R"({"preset_list":[5,"x",{}],"partial_list":[null,[]],"eq4_lib":[1],"eq12_lib":"s"})");
    row("names repeated inside a set",
        R"({"preset_list":[{"a":1,"a":{"b":2}}],"partial_list":[{}]})");
    row("strings that look like structure",
        R"({"preset_list":[{"s":"\"},{\"index\":1"}],"partial_list":[{"t":"\\"}],"x":"[{"})");
    QTest::newRow("data repeated in the device")
        << head + R"({"preset_list":[{"a":1}],"partial_list":[{}]},"data":)"
                  R"({"preset_list":[{"b":2}],"partial_list":[{}]}})"
        << true;
    QTest::newRow("data named with an escape")
        << QByteArray(R"({"name":"M","model":"ZEPH-2208","mac":"","color":1,"id":3,)"
                      R"("d\u0061ta":{"preset_list":[{"c":3}],"partial_list":[{}]}})")
        << true;
    row("numbers only Qt takes", R"({"preset_list":[{"a":.5,"b":1.}],"partial_list":[{"c":-0}]})");
    row("escape only Qt takes", R"({"preset_list":[{}],"partial_list":[{"c":"\x"}]})");
    row("raw control character in a string", "{\"preset_list\":[{\"a\":\"x\ty\"}],"
                                             "\"partial_list\":[{}]}");
    row("not JSON inside the data", R"({"preset_list":[{]}],"partial_list":[{}]})", false);
    row("NUL in a member name", R"({"preset_list":[{}],"partial_list":[{"a":{"\u0000":1}}]})",
        false);
    row("NUL only in a value, or a backslash before u0000",
        R"({"preset_list":[{"a":"\u0000","b\\u0000":1}],"partial_list":[{}]})");
    row("no partial presets", R"({"preset_list":[{}],"partial_list":[]})", false);
}

// Large files are read split at their devices; what they hold must not depend on it.
void TestProjectReader::splitOrWholeReadAlike()
{
    QFETCH(QByteArray, device);
    QFETCH(bool, valid);
    const QByteArray text = R"({"version":1,"title":"T","author":"","dealer":"","comment":"",)"
                            R"("devices":[)" +
                            device + "," + compact(validDevice(1)) + "]}";
    QString splitError;
    QString wholeError;
    const auto split = parse(text, &splitError);
    const auto whole = parse(readWhole(text), &wholeError);
    QCOMPARE(bool(split), valid);
    QCOMPARE(bool(whole), valid);
    QCOMPARE(splitError, wholeError);
    if (!valid) {
        return;
    }
    QCOMPARE(dataOf(*split), dataOf(*whole));
    QCOMPARE(QJsonDocument::fromJson(split->toJsonText().toUtf8()),
             QJsonDocument::fromJson(whole->toJsonText().toUtf8()));
    // What pages and mixers get is standard JSON, whatever Qt's parser let through.
    for (const QString &set : split->appDevices().at(0)->zephDataPreset()) {
        QVERIFY2(QovJsonScan::isStrict(set.toUtf8()), qPrintable(set));
    }
    for (const QString &partial : split->appDevices().at(0)->zephDataPartialPreset()) {
        QVERIFY2(QovJsonScan::isStrict(partial.toUtf8()), qPrintable(partial));
        QVERIFY2(!QJsonDocument::fromJson(partial.toUtf8()).object().contains("index"),
                 qPrintable(partial));
    }
}

QTEST_GUILESS_MAIN(TestProjectReader)
#include "tst_projectreader.moc"
