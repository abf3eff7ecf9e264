#pragma once

class QWidget;

// Dialogs and popups are made without a parent, so Qt would centre them on the screen, which on
// a large or second screen puts them far from the window the user is working in. This places a
// parentless dialog over the middle of the dialog it was raised from, else of the main window,
// else of the active window, kept on that window's screen. Call it from the dialog's showEvent
// after QDialog::showEvent, which centres the dialog on the screen, and only for a show event that
// the program caused.
void qovCenterOverActiveWindow(QWidget *dialog);
