#include "mixersimprocess.h"

#include <httplib.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

MixerSimProcess::MixerSimProcess(const QByteArray &configJson, CpuShare share)
{
    QJsonObject config = QJsonDocument::fromJson(configJson).object();
    config.insert("control", QJsonObject{{"address", "127.0.0.1"}, {"port", 0}});
    const QString configFile = m_dir.filePath("sim.json");
    QFile file(configFile);
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(config).toJson()) < 0) {
        m_problem = "cannot write " + configFile;
        return;
    }
    file.close();
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    if (share == CpuShare::Background) {
        // nice executes the simulator in its own process: the pid and the pipes stay the same.
        m_process.start(QStringLiteral("nice"), {QStringLiteral("-n"), QStringLiteral("10"),
                                                 simulatorPath(), "--config", configFile});
    } else {
        m_process.start(simulatorPath(), {"--config", configFile});
    }
    // The simulator prints its control address, one line per mixer, then "ready".
    QByteArray output;
    QDeadlineTimer deadline(10000);
    while (!output.contains("ready\n")) {
        if (deadline.hasExpired() || !m_process.waitForReadyRead(int(deadline.remainingTime()))) {
            m_problem = "the simulator did not get ready: " + QString::fromUtf8(output) +
                        m_process.errorString();
            return;
        }
        output += m_process.readAllStandardOutput();
    }
    const int at = output.indexOf("control: 127.0.0.1:");
    m_controlPort = output.mid(at + 19, output.indexOf('\n', at) - at - 19).toInt();
    if (at < 0 || m_controlPort <= 0) {
        m_problem = "no control port in: " + QString::fromUtf8(output);
    }
}

MixerSimProcess::~MixerSimProcess()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }
}

QString MixerSimProcess::simulatorPath()
{
    return QStringLiteral(VELMORA_BIN_DIR "/velmora-mixer-sim");
}

int MixerSimProcess::control(const char *method, const QString &path, const QByteArray &body,
                             QByteArray *reply)
{
    httplib::Client client("127.0.0.1", m_controlPort);
    client.set_read_timeout(10, 0);
    const std::string target = path.toStdString();
    const std::string content = body.toStdString();
    httplib::Result result = std::string(method) == "GET"      ? client.Get(target)
                             : std::string(method) == "DELETE" ? client.Delete(target)
                             : std::string(method) == "PUT"
                                 ? client.Put(target, content, "application/json")
                                 : client.Post(target, content, "application/json");
    if (!result) {
        return 0;
    }
    if (reply) {
        *reply = QByteArray::fromStdString(result->body);
    }
    return result->status;
}

bool MixerSimProcess::mixerCall(const char *method, const QString &address, const char *what,
                                const QByteArray &body)
{
    return control(method, "/mixers/" + address + "/" + what, body) == 200;
}

QStringList MixerSimProcess::requests(const QString &address)
{
    QByteArray reply;
    control("GET", "/mixers/" + address + "/requests", {}, &reply);
    return QVariant(QJsonDocument::fromJson(reply).array().toVariantList()).toStringList();
}

QByteArray MixerSimProcess::dataSet(const QString &address, int target, int bank)
{
    QByteArray reply;
    const QString path = QString("/mixers/%1/data/%2/%3").arg(address).arg(target).arg(bank);
    return control("GET", path, {}, &reply) == 200 ? reply : QByteArray();
}

bool MixerSimProcess::setDataSet(const QString &address, int target, int bank,
                                 const QByteArray &text)
{
    const QString path = QString("/mixers/%1/data/%2/%3").arg(address).arg(target).arg(bank);
    return control("PUT", path, text) == 200;
}

QByteArray requestFault(const QString &endpoint, int nth, const QString &fault,
                        const QString &extra)
{
    return QString(R"({"requests":[{"endpoint":"%1","nth":%2,"fault":"%3"%4}]})")
        .arg(endpoint)
        .arg(nth)
        .arg(fault, extra.isEmpty() ? QString() : "," + extra)
        .toUtf8();
}
