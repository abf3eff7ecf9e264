#include "models/qovlinkgrouporder.h"

#include <QtTest>

// Extension units are listed under the unit that links them, in unit order, wherever they
// were found; nothing else moves.
class TestLinkGroupOrder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void groupsFollowTheirPrimary_data();
    void groupsFollowTheirPrimary();
};

namespace {

using L = QovOnlineDeviceModelInternal;

QovOnlineDeviceModel mixer(const QString &name, int serial, L::OvLink link = L::NONE,
                           const QovLinkedExtensions &extensions = {})
{
    QovDiscoveredDevice found;
    found.friendlyName = name;
    found.serialNumber = QString::number(serial);
    auto device = std::make_shared<QovOnlineDeviceModelInternal>(found);
    device->setOvLink(link);
    device->setLinkedExtensions(extensions);
    return device;
}

} // namespace

void TestLinkGroupOrder::groupsFollowTheirPrimary_data()
{
    QTest::addColumn<QList<QovOnlineDeviceModel>>("devices");
    QTest::addColumn<QStringList>("expected");
    const auto ext1 = mixer("ext1", 11, L::EXTENSION);
    const auto ext2 = mixer("ext2", 12, L::EXTENSION);
    // Unit numbers, not serials or list order, decide the order under the primary; a named
    // unit that is not listed is skipped.
    const auto primary = mixer("primary", 10, L::PRIMARY, {{12, 2}, {11, 1}, {99, 3}});
    const auto alone = mixer("alone", 20);
    const auto orphan = mixer("orphan", 30, L::EXTENSION);
    QTest::newRow("none") << QList<QovOnlineDeviceModel>{} << QStringList{};
    QTest::newRow("extensions follow their primary by unit number")
        << QList<QovOnlineDeviceModel>{ext2, alone, ext1, primary}
        << QStringList{"alone", "primary", "ext1", "ext2"};
    QTest::newRow("an extension nobody names keeps its place")
        << QList<QovOnlineDeviceModel>{orphan, primary, ext1}
        << QStringList{"orphan", "primary", "ext1"};
    QTest::newRow("only the named extension moves")
        << QList<QovOnlineDeviceModel>{ext1, alone, ext2, mixer("q", 15, L::PRIMARY, {{11, 1}})}
        << QStringList{"alone", "ext2", "q", "ext1"};
    // Named only by a grouped extension unit: a list of groups has no place for it.
    const auto chainer = mixer("chainer", 11, L::EXTENSION, {{40, 1}});
    QTest::newRow("named by an extension unit")
        << QList<QovOnlineDeviceModel>{mixer("chained", 40, L::EXTENSION), chainer,
                                       mixer("p2", 50, L::PRIMARY, {{11, 1}})}
        << QStringList{"p2", "chainer"};
}

void TestLinkGroupOrder::groupsFollowTheirPrimary()
{
    QFETCH(QList<QovOnlineDeviceModel>, devices);
    QStringList names;
    for (const auto &device : qovLinkGroupOrder(devices)) {
        names.append(device->deviceName());
    }
    QTEST(names, "expected");
}

QTEST_APPLESS_MAIN(TestLinkGroupOrder)
#include "tst_linkgrouporder.moc"
