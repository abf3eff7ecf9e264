#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// The mixer simulator as a real process for tests: started with a configuration, stopped when
// the object goes. Its control interface switches faults, starts and stops mixers, and shows
// what a mixer received. Run only inside the private network.
class MixerSimProcess
{
public:
    // How the simulator shares the cores with the program. A benchmark that times the program
    // runs it as a background process: real mixers are other machines, and on two cores the
    // simulated ones would otherwise take the CPU the window waits for.
    enum class CpuShare { Equal, Background };

    // `configJson` is the simulator's configuration; its control port is replaced by a free one.
    explicit MixerSimProcess(const QByteArray &configJson, CpuShare share = CpuShare::Equal);
    ~MixerSimProcess();

    // Empty when the simulator runs and every mixer listens; otherwise what went wrong.
    QString problem() const { return m_problem; }

    bool setFaults(const QString &address, const QByteArray &faultsJson)
    {
        return mixerCall("PUT", address, "faults", faultsJson);
    }
    bool startMixer(const QString &address) { return mixerCall("POST", address, "start"); }
    bool stopMixer(const QString &address) { return mixerCall("POST", address, "stop"); }
    // Puts a mixer on another address (a new DHCP lease); a running one comes up there.
    bool moveMixer(const QString &address, const QString &to)
    {
        return mixerCall("POST", address, "move", R"({"address":")" + to.toUtf8() + R"("})");
    }
    // Factory data, no faults, an empty request list.
    bool reset(const QString &address) { return mixerCall("POST", address, "reset"); }
    // "METHOD target" of every request received since the last clear.
    QStringList requests(const QString &address);
    bool clearRequests(const QString &address) { return mixerCall("DELETE", address, "requests"); }
    QByteArray dataSet(const QString &address, int target, int bank);
    bool setDataSet(const QString &address, int target, int bank, const QByteArray &text);

    static QString simulatorPath();

private:
    // Status and body of one control request; status 0 when the control port did not answer.
    int control(const char *method, const QString &path, const QByteArray &body,
                QByteArray *reply = nullptr);
    // Whether the control request to /mixers/<address>/<what> succeeded.
    bool mixerCall(const char *method, const QString &address, const char *what,
                   const QByteArray &body = {});

    QTemporaryDir m_dir;
    QProcess m_process;
    int m_controlPort = 0;
    QString m_problem;
};

// Faults for MixerSimProcess::setFaults: the `nth` request to `endpoint` meets `fault`; `extra`
// holds more members of the fault ("bytesPerSecond":60).
QByteArray requestFault(const QString &endpoint, int nth, const QString &fault,
                        const QString &extra = {});
