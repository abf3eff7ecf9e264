#pragma once

class QObject;
class QValidator;

// Validators that keep editors within what the project file accepts (models/qovtextrules), so
// that anything typed can be saved and read back. Owned by `parent`.

// Project title, author, dealer and comment: no " \ % & / < >; the empty text is fine.
QValidator *makeProjectTextValidator(QObject *parent);
// Device names: printable ASCII without " \ % & / < >. An empty editor is intermediate, so the
// user may clear it while typing; the dialogs refuse an empty name when they are confirmed.
QValidator *makeDeviceNameValidator(QObject *parent);
