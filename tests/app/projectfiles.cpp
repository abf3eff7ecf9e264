#include "projectfiles.h"

#include "models/qovprojectdatamodel.h"

#include <QDir>
#include <QFile>

#include <memory>

QString writeProjectFile(const QString &folder, const QString &name, const QString &title,
                         const QStringList &deviceNames)
{
    QovProjectDataModel project;
    project.setProjectName(title);
    int id = 1;
    for (const QString &deviceName : deviceNames) {
        project.addDevice(std::make_shared<QovAppDeviceModelInternal>(
            deviceName, QovDeviceSelector::ZEPH2208, QString(), 0, id++));
    }
    const QString path = QDir(folder).filePath(name);
    return project.saveTo(path) ? path : QString();
}

QString writeRawFile(const QString &folder, const QString &name, const QByteArray &content)
{
    const QString path = QDir(folder).filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) < 0) {
        return QString();
    }
    return path;
}
