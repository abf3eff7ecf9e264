#include "screenshotscene.h"

#include "dialogs/qovabstractdialog.h"

namespace {

// The bare frame, as every concrete dialog starts.
class EmptyDialog : public QovAbstractDialog
{
public:
    explicit EmptyDialog(bool busy)
    {
        setWindowTitle(QStringLiteral("Device Setting"));
        setup(QSize(664, 390));
        setBusy(busy);
    }

protected:
    void buildContents(QWidget *) override {}
};

} // namespace

std::vector<ScreenshotScene> dialogScenes()
{
    return {
        {QStringLiteral("dialog-frame"), [] { return new EmptyDialog(false); }, nullptr, 0, 0},
        {QStringLiteral("dialog-frame-busy"), [] { return new EmptyDialog(true); }, nullptr, 0, 0},
    };
}
