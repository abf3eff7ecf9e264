#include "models/qovlinkgrouporder.h"

#include <QtTest>

// Extension units are listed under the unit that links them, in unit order, wherever they
// were found; nothing else moves.
class TestLinkGroupOrder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void groupsFollowTheirPrimary();
};

namespace {

QovOnlineDeviceModel
mixer(const QString &name, int serial,
      QovOnlineDeviceModelInternal::OvLink link = QovOnlineDeviceModelInternal::NONE,
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

QStringList names(const QList<QovOnlineDeviceModel> &devices)
{
    QStringList result;
    for (const auto &device : devices) {
        result.append(device->deviceName());
    }
    return result;
}

} // namespace

void TestLinkGroupOrder::groupsFollowTheirPrimary()
{
    using L = QovOnlineDeviceModelInternal;
    const auto ext2 = mixer("ext2", 12, L::EXTENSION);
    const auto alone = mixer("alone", 20);
    const auto ext1 = mixer("ext1", 11, L::EXTENSION);
    // Unit numbers, not serials or list order, decide the order under the primary.
    const auto primary = mixer("primary", 10, L::PRIMARY, {{12, 2}, {11, 1}, {99, 3}});
    const auto orphan = mixer("orphan", 30, L::EXTENSION);
    // Named only by an extension unit: a group has no place for it.
    const auto chained = mixer("chained", 40, L::EXTENSION);
    ext1->setLinkedExtensions({{40, 1}});

    QCOMPARE(names(qovLinkGroupOrder({ext2, alone, ext1, primary, orphan, chained})),
             (QStringList{"alone", "primary", "ext1", "ext2", "orphan"}));
    QVERIFY(qovLinkGroupOrder({}).isEmpty());
}

QTEST_APPLESS_MAIN(TestLinkGroupOrder)
#include "tst_linkgrouporder.moc"
