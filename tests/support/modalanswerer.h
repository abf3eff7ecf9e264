#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>

class QWidget;

// Answers the modal popups, dialogs and file dialogs that product code opens and runs in their
// own event loop. A test queues the answers it expects, in order, before the action that opens
// them; each answer is given as soon as its modal widget is the active one. What every answered
// widget showed is kept for the test's checks.
class ModalAnswerer : public QObject
{
    Q_OBJECT

public:
    struct Seen
    {
        QString className; // the widget's meta-object class name
        QString title;     // popup title, else the window title
        QString text;      // popup message, empty for other widgets
    };

    explicit ModalAnswerer(QObject *parent = nullptr);
    ~ModalAnswerer() override;

    // Presses the button whose text (ampersands ignored) equals buttonText.
    void pressButton(const QString &buttonText);
    // Chooses a file in a QFileDialog (open or save) and accepts it; an empty path cancels.
    void chooseFile(const QString &path);
    // Hands the modal widget to the test, which must close it (accept, reject or a click).
    void handle(const std::function<void(QWidget *)> &handler);

    // Waits until every queued answer was given; false on time-out or on a widget without the
    // named button (which is then rejected so that the test cannot hang).
    bool waitDone(int timeoutMs = 10000);
    int pending() const { return m_queue.size(); }
    QList<Seen> seen() const { return m_seen; }
    QString lastError() const { return m_error; }
    // The popup title and text of every answered widget, one "title: text" line each.
    QStringList seenLines() const;

    // Title and message of a popup, the window title of anything else.
    static Seen describe(QWidget *modal);
    // The button whose text, ampersands removed, equals text; null when there is none.
    static QWidget *findButton(QWidget *root, const QString &text);

private:
    void poll();
    void enqueue(const std::function<bool(QWidget *)> &answer);

    QTimer m_timer;
    QList<std::function<bool(QWidget *)>> m_queue;
    QList<Seen> m_seen;
    QPointer<QWidget> m_lastAnswered;
    QString m_error;
};
