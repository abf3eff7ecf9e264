#include "screenshotscene.h"

#include "dialogs/qovconfirmpopup.h"
#include "dialogs/qovconfirmsavepopup.h"
#include "dialogs/qoverrorpopup.h"
#include "dialogs/qovpartialcopypopup.h"
#include "dialogs/qovrestorepopup.h"
#include "models/qovprojectdatamodel.h"

namespace {

const char *const kManyLines =
    "The project could not be uploaded to every device.\n"
    "ZEPH-2208 \"Stage Left\" [0012] did not answer.\n"
    "ZEPH-2208NET \"Foyer\" [0031] refused the preset banks.\n"
    "ZEPH-2208 \"Bar\" [0007] is missing from the network.\n"
    "Check the cabling and the devices' power, then reconnect them from the project page. "
    "Devices that were updated keep their new settings.";

struct PopupKind
{
    const char *name;
    const char *title;
    const char *shortMessage;
    std::function<QWidget *(const QString &title, const QString &message)> make;
};

} // namespace

// Each popup once with a one-line message and once with a long one that makes it grow.
std::vector<ScreenshotScene> popupScenes()
{
    const PopupKind kinds[] = {
        {"error", "Caution", "Velmora is already running",
         [](const QString &t, const QString &m) { return new QovErrorPopup(t, m); }},
        {"confirm", "Disconnect", "Do you want to disconnect \"Stage Left\" from this project?",
         [](const QString &t, const QString &m) { return new QovConfirmPopup(t, m); }},
        {"confirm-save", "Caution", "Do you want to close this project without applying changes?",
         [](const QString &t, const QString &m) { return new QovConfirmSavePopup(t, m); }},
    };
    std::vector<ScreenshotScene> scenes;
    for (const PopupKind &kind : kinds) {
        const QString name = QStringLiteral("popup-") + QLatin1String(kind.name);
        const QString title = QLatin1String(kind.title);
        const auto make = kind.make;
        const QString shortMessage = QLatin1String(kind.shortMessage);
        scenes.push_back({name + QStringLiteral("-short"),
                          [make, title, shortMessage] { return make(title, shortMessage); },
                          nullptr, 0, 0});
        scenes.push_back({name + QStringLiteral("-many-lines"),
                          [make, title] { return make(title, QLatin1String(kManyLines)); }, nullptr,
                          0, 0});
    }
    // The question after a crash, for a saved project and for one never saved.
    const QDateTime changedAt(QDate(2025, 3, 14), QTime(21, 47, 5));
    scenes.push_back({QStringLiteral("popup-restore-unsaved-changes"),
                      [changedAt] {
                          return new QovRestorePopup(
                              QStringLiteral("/home/lee/Projects/Festival main stage.vlmproj"),
                              changedAt);
                      },
                      nullptr, 0, 0});
    scenes.push_back({QStringLiteral("popup-restore-unsaved-file-changed-since"),
                      [changedAt] {
                          return new QovRestorePopup(
                              QStringLiteral("/home/lee/Projects/Festival main stage.vlmproj"),
                              changedAt, true);
                      },
                      nullptr, 0, 0});
    // Save over a file that another program changed since the window opened or saved it.
    scenes.push_back({QStringLiteral("popup-file-changed"),
                      [] {
                          return new QovConfirmPopup(
                              QStringLiteral("File Changed"),
                              QStringLiteral("Festival main stage.vlmproj has been changed by "
                                             "another program since it was opened or saved "
                                             "here.\n\nOverwrite it with this project?"));
                      },
                      nullptr, 0, 0});
    scenes.push_back({QStringLiteral("popup-restore-unsaved-new-project"),
                      [changedAt] {
                          return new QovRestorePopup(QovProjectDataModel::defaultProjectPath(),
                                                     changedAt);
                      },
                      nullptr, 0, 0});
    // An upload that stopped part-way: where the mixer's old data is, and the folder one click
    // away.
    scenes.push_back(
        {QStringLiteral("popup-partly-written"),
         [] {
             return new QovErrorPopup(
                 QStringLiteral("Error"),
                 QStringLiteral(
                     "The transfer to the mixer Stage Left (192.168.1.31) failed "
                     "part-way. The mixer now holds partly written data.\n\nWhat it "
                     "held before is in its safety copy 2025-03-14T21-47-05.512Z.vlmproj, in "
                     "the folder:\n/home/lee/.local/share/korvath/velmora/backups/"
                     "001DC1123456"),
                 QStringLiteral("Open Folder"));
         },
         nullptr, 0, 0});
    // The automatic copy cannot be written: edits are no longer safe from a crash.
    scenes.push_back(
        {QStringLiteral("popup-autosave-failing"),
         [] {
             return new QovErrorPopup(
                 QStringLiteral("Caution"),
                 QStringLiteral("Velmora cannot keep the automatic copy of this project:\n"
                                "/media/lee/STICK/Grand Hall.vlmproj.autosave: No space left on "
                                "device\n\nUntil it can, a crash or a power cut loses the "
                                "changes made since the last save. Save the project where it "
                                "can be written."));
         },
         nullptr, 0, 0});
    // A mixer that would not give two data sets: overwrite it after a copy of the rest?
    scenes.push_back({QStringLiteral("popup-partial-safety-copy"),
                      [] {
                          return new QovPartialCopyPopup(QStringLiteral("Stage Left"),
                                                         QStringLiteral("192.168.1.31"),
                                                         {{2, 3}, {6, 17}});
                      },
                      nullptr, 0, 0});
    return scenes;
}
