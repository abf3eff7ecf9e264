#include "modalanswerer.h"

#include "dialogs/qovabstractpopup.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QPointer>
#include <QTest>

ModalAnswerer::ModalAnswerer(QObject *parent)
    : QObject(parent)
{
    // Polling from the nested event loop of exec() is what reaches a modal widget that the
    // code under test has not returned from yet.
    m_timer.setInterval(20);
    connect(&m_timer, &QTimer::timeout, this, &ModalAnswerer::poll);
}

ModalAnswerer::~ModalAnswerer() = default;

ModalAnswerer::Seen ModalAnswerer::describe(QWidget *modal)
{
    const QString className = QString::fromLatin1(modal->metaObject()->className());
    if (auto *popup = qobject_cast<QovAbstractPopup *>(modal)) {
        return {className, popup->title(), popup->message()};
    }
    return {className, modal->windowTitle(), QString()};
}

QWidget *ModalAnswerer::findButton(QWidget *root, const QString &text)
{
    for (QAbstractButton *button : root->findChildren<QAbstractButton *>()) {
        if (button->isVisible() && QString(button->text()).remove(QLatin1Char('&')) == text) {
            return button;
        }
    }
    return nullptr;
}

void ModalAnswerer::enqueue(const std::function<bool(QWidget *)> &answer)
{
    m_queue.append(answer);
    m_timer.start();
}

void ModalAnswerer::pressButton(const QString &buttonText)
{
    enqueue([this, buttonText](QWidget *modal) {
        QWidget *button = findButton(modal, buttonText);
        if (!button) {
            m_error = QStringLiteral("no button \"%1\" in %2 \"%3\"")
                          .arg(buttonText, describe(modal).className, describe(modal).title);
            return false;
        }
        // Popups react to the press, dialogs to the click: a full click serves both.
        QTest::mouseClick(button, Qt::LeftButton);
        return true;
    });
}

void ModalAnswerer::chooseFile(const QString &path)
{
    enqueue([this, path](QWidget *modal) {
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        if (!dialog) {
            m_error =
                QStringLiteral("expected a file dialog, found %1").arg(describe(modal).className);
            return false;
        }
        if (path.isEmpty()) {
            dialog->reject();
        } else {
            dialog->selectFile(path);
            // selectFile() leaves the name field alone while it has the focus, which depends on
            // when the window manager activated the dialog; the field is what accept() reads.
            if (auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))) {
                name->setText(path);
            }
            static_cast<QDialog *>(dialog)->accept(); // public in QDialog, virtual
        }
        return true;
    });
}

void ModalAnswerer::handle(const std::function<void(QWidget *)> &handler)
{
    enqueue([handler](QWidget *modal) {
        handler(modal);
        return true;
    });
}

void ModalAnswerer::poll()
{
    // Nothing to answer yet, or a widget already answered that is still closing.
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || m_queue.isEmpty() || !modal->isVisible() || modal == m_lastAnswered) {
        return;
    }
    QPointer<QWidget> guard(modal);
    m_seen.append(describe(modal));
    m_lastAnswered = modal;
    const auto answer = m_queue.takeFirst();
    if (m_queue.isEmpty()) {
        m_timer.stop();
    }
    if (!answer(modal) && guard) {
        m_queue.clear();
        m_timer.stop();
        if (auto *dialog = qobject_cast<QDialog *>(modal)) {
            dialog->reject();
        } else {
            modal->close();
        }
    }
}

bool ModalAnswerer::waitDone(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!m_queue.isEmpty() && m_error.isEmpty() && !deadline.hasExpired()) {
        QTest::qWait(10);
    }
    if (!m_queue.isEmpty() && m_error.isEmpty()) {
        m_error =
            QStringLiteral("%1 answer(s) never used: no modal widget appeared").arg(m_queue.size());
    }
    return m_queue.isEmpty() && m_error.isEmpty();
}

QStringList ModalAnswerer::seenLines() const
{
    QStringList lines;
    for (const Seen &seen : m_seen) {
        lines.append(seen.title + QStringLiteral(": ") + seen.text);
    }
    return lines;
}
