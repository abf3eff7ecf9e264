#pragma once

#include "app/qovmainwindow.h"
#include "mixersimprocess.h"
#include "models/qovappdevicemodel.h"
#include "models/qovonlinedevicemodel.h"
#include "projectentries.h"
#include "tempprofile.h"

#include <QObject>
#include <QStringList>

#include <memory>
#include <vector>

class ModalAnswerer;
class QovDirectionSelectorView;
class QovOnlineDeviceFinder;
class QovProjectDataModel;
class QProgressBar;
class QTemporaryDir;

// What the connection flow tests share: five simulated mixers and a throw-away profile, set up
// by the first test class and kept for the others (starting the simulator and finding its
// mixers takes about 20 s), and a new main window for every test function. Each flow file is a
// test class derived from this one; its initTestCase, init and cleanup are these.
class ConnectionFlowFixture : public QObject
{
    Q_OBJECT

public:
    // Runs each test class in turn with the program's arguments; the failures of all of them.
    static int runAll(const std::vector<std::unique_ptr<QObject>> &tests,
                      const QStringList &arguments);
    // Stops the simulator and removes the profile, before the application goes.
    static void shutDown();

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

protected:
    // The data of the one device of a safety copy file.
    static QStringList copiedData(const QString &path);
    static void click(QWidget *root, const QString &buttonText);
    // Picks the direction in a connect or reconnect dialog and confirms it.
    static void chooseDirection(QWidget *dialog, QovDirectionSelectorView *selector, bool upload);

    // Answers "Connect Online Device" by ticking the named mixers (all when empty) and
    // pressing Connect; the rows it saw go to `shown`.
    void answerConnectOnline(ModalAnswerer &answerer, const QStringList &names,
                             QList<QovOnlineDeviceModel> *shown = nullptr);
    // Answers the connect dialog with the named mixer and direction.
    void answerConnect(ModalAnswerer &answerer, const QString &mixer, bool upload);
    void answerReconnect(ModalAnswerer &answerer, bool upload);
    // Connects `entry` to the named mixer through the connect dialog, answered by `answerer`;
    // whether it was connected within 20 s.
    bool connectThroughDialog(ModalAnswerer &answerer, const QovAppDeviceModel &entry,
                              const QString &mixer, bool upload);
    // A project of the given devices, shown in the window and not edited.
    void showProject(const QVector<QovAppDeviceModel> &devices);
    // A project of one unbound entry named "Entry", shown; the entry. Its data before it was
    // shown goes to `dataBeforeShown`.
    QovAppDeviceModel showEntry(QovDeviceSelector::DeviceType type = QovDeviceSelector::ZEPH2208,
                                QStringList *dataBeforeShown = nullptr);
    // Saves `project` into `folder` under `fileName` and sets the reconnect mode (the
    // program setting auto_reconnect) that opening it will use; the file's path.
    QString saveForOpening(QovProjectDataModel &project, const QTemporaryDir &folder,
                           const QString &fileName, int autoReconnect);
    QString addressOf(const QString &mixerName) const;
    // The finder's model of the mixer at `address`; null while it lists none there.
    QovOnlineDeviceModel atAddress(const QString &address) const;
    void writeSettings(const QByteArray &extra = {});
    // The overlay's transfer line and bar.
    QString overlayTitle() const;
    QProgressBar *overlayBar() const;
    QString macOf(const QString &mixerName) const;

    TempProfile *m_profile = nullptr;
    MixerSimProcess *m_sim = nullptr;
    QovOnlineDeviceFinder *m_finder = nullptr;
    std::unique_ptr<QovMainWindow> m_window;
};

// The test classes, one per flow.
std::unique_ptr<QObject> newProjectFlows();
std::unique_ptr<QObject> connectFailureFlows();
std::unique_ptr<QObject> reconnectFlows();
std::unique_ptr<QObject> safetyCopyFlows();
std::unique_ptr<QObject> sharedMixerFlows();
