#include "models/qovmodelmetatypes.h"

#include "models/qovonlinedevicemodel.h"

#include <mutex>

void qovRegisterModelMetaTypes()
{
    static std::once_flag once;
    std::call_once(once, [] {
        qRegisterMetaType<QovDeviceSelector::DeviceType>("QovDeviceSelector::DeviceType");
        qRegisterMetaType<QovAppDeviceModelInternal::Status>("QovAppDeviceModelInternal::Status");
        qRegisterMetaType<QovOnlineDeviceModelInternal::OvLink>(
            "QovOnlineDeviceModelInternal::OvLink");
        qRegisterMetaType<QovAppDeviceModel>("QovAppDeviceModel");
        qRegisterMetaType<QovOnlineDeviceModel>("QovOnlineDeviceModel");
        qRegisterMetaType<QVector<QovAppDeviceModel>>("QVector<QovAppDeviceModel>");
        qRegisterMetaType<QovLinkedExtensions>("QovLinkedExtensions");
        qRegisterMetaType<QovZephData>("QovZephData");
    });
}
