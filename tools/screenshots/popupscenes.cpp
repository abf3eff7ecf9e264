#include "screenshotscene.h"

#include "dialogs/qovconfirmpopup.h"
#include "dialogs/qovconfirmsavepopup.h"
#include "dialogs/qoverrorpopup.h"

namespace {

QString manyLines()
{
    return QStringLiteral(
        "The project could not be uploaded to every device.\n"
        "ZEPH-2208 \"Stage Left\" [0012] did not answer.\n"
        "ZEPH-2208NET \"Foyer\" [0031] refused the preset banks.\n"
        "ZEPH-2208 \"Bar\" [0007] is missing from the network.\n"
        "Check the cabling and the devices' power, then reconnect them from the project page. "
        "Devices that were updated keep their new settings.");
}

} // namespace

std::vector<ScreenshotScene> popupScenes()
{
    return {
        {QStringLiteral("popup-error-short"),
         [] {
             return new QovErrorPopup(QStringLiteral("Caution"),
                                      QStringLiteral("Velmora is already running"));
         },
         nullptr, 0, 0},
        {QStringLiteral("popup-error-many-lines"),
         [] { return new QovErrorPopup(QStringLiteral("Error"), manyLines()); }, nullptr, 0, 0},
        {QStringLiteral("popup-confirm"),
         [] {
             return new QovConfirmPopup(
                 QStringLiteral("Disconnect"),
                 QStringLiteral("Do you want to disconnect \"Stage Left\" from this project?"));
         },
         nullptr, 0, 0},
        {QStringLiteral("popup-confirm-save"),
         [] {
             return new QovConfirmSavePopup(
                 QStringLiteral("Caution"),
                 QStringLiteral("Do you want to close this project without applying changes?"));
         },
         nullptr, 0, 0},
    };
}
