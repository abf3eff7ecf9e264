// One command's exchange against a scripted talker: what is sent, when, and how replies that
// arrive in odd pieces or odd orders end it. No sockets involved.
#include "ovtesthelpers.h"

#include "ovlib/commandexchange.h"
#include "ovlib/ovcommand.h"
#include "ovlib/overror.h"
#include "ovlib/ovresponses.h"
#include "ovlib/ovtalker.h"

#include <QtTest>
#include <deque>
#include <thread>

using namespace ovlib;
using namespace ovlib::internal;
using Clock = std::chrono::steady_clock;

namespace {

// Each receive hands out the next scripted piece; an empty script is the device's silence.
class ScriptedTalker : public OvTalker
{
public:
    explicit ScriptedTalker(std::deque<std::string> replies, int sendResult = 0)
        : m_replies(std::move(replies))
        , m_sendResult(sendResult)
    {
    }
    int connect() override { return 0; }
    int send(const std::string &bytes) override
    {
        m_sent.push_back({bytes, Clock::now()});
        return m_sendResult;
    }
    int receive(std::string &bytes) override
    {
        std::this_thread::sleep_for(m_receiveDelay);
        if (m_replies.empty()) {
            return OV_ERR_TIMEDOUT;
        }
        bytes += m_replies.front();
        m_replies.pop_front();
        return 0;
    }
    int close() override
    {
        ++m_closed;
        return 0;
    }

    size_t unread() const { return m_replies.size(); }

    std::vector<std::pair<std::string, Clock::time_point>> m_sent;
    int m_closed = 0;
    // How long each receive takes before it hands out its piece.
    std::chrono::milliseconds m_receiveDelay{0};

private:
    std::deque<std::string> m_replies;
    int m_sendResult;
};

} // namespace

class TestCommandExchange : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void outcomes_data()
    {
        QTest::addColumn<bool>("answerFlag");
        QTest::addColumn<QStringList>("replies");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("data");
        QTest::addColumn<QString>("printed");
        const auto row = [](const char *name, bool answerFlag, const QStringList &replies,
                            int result, const char *data, const char *printed) {
            QTest::newRow(name) << answerFlag << replies << result << QString(data)
                                << QString(printed);
        };
        row("answer in three reads", true, {"q MD 0", "001 NC v", "=1 \r"}, 0, "v=1", "");
        row("parts joined", true, {"q MD 1 CS a \rq MD 1 CM b \r", "q MD 1 CE c \r"}, 0, "abc", "");
        row("last part first", true, {"q MD 1 CE c \r"}, 4, "", "Illegal first Answer .");
        row("second first part", true, {"q MD 1 CS a \rq MD 1 CS b \r"}, 4, "",
            "Fail to append answer response data.");
        row("parts stop coming", true, {"q MD 1 CS a \r"}, 10, "",
            "Fail to append answer response data because time out.");
        row("nak numbered 0", false, {"q NAK 0 \r"}, 199, "", "");
        row("broken line", false, {"q ACK\r"}, 4, "",
            "Invalid elements num at ACKResponse constructor called.");
    }

    void outcomes()
    {
        QFETCH(bool, answerFlag);
        QFETCH(QStringList, replies);
        QFETCH(int, result);
        QFETCH(QString, data);
        QFETCH(QString, printed);
        std::deque<std::string> script;
        for (const QString &reply : replies) {
            script.push_back(reply.toStdString());
        }
        ScriptedTalker talker(script);
        ovtest::StderrCapture capture;
        std::shared_ptr<OvResponseObject> last;
        QCOMPARE(runExchange(talker, OvCommand("q", {"1"}, false, answerFlag), last), result);
        QCOMPARE(talker.m_closed, 1);
        if (!data.isEmpty()) {
            auto answer = std::dynamic_pointer_cast<OvAnswerResponse>(last);
            QVERIFY(answer);
            QCOMPARE(QString::fromStdString(answer->data()), data);
        }
        QVERIFY2(capture.contains(printed.toStdString()), capture.text().c_str());
    }

    void acknowledgedFramesAreSpaced()
    {
        ScriptedTalker talker({"q ACK \r", "q ACK \r", "q MD 1 NC done \r"});
        std::shared_ptr<OvResponseObject> last;
        const OvCommand command("q", {std::string(500, 'x')}, false, true);
        QCOMPARE(runExchange(talker, command, last), 0);
        QCOMPARE(talker.m_sent.size(), size_t(3));
        for (size_t i = 1; i < talker.m_sent.size(); ++i) {
            QVERIFY(talker.m_sent[i].second - talker.m_sent[i - 1].second >=
                    std::chrono::milliseconds(10));
        }
    }

    void originFramesExpectNothing()
    {
        // Origin set without an answer: every frame goes out without waiting for the device.
        ScriptedTalker talker({});
        std::shared_ptr<OvResponseObject> last;
        QCOMPARE(runExchange(talker, OvCommand("q", {std::string(500, 'x')}, true, false), last),
                 0);
        QCOMPARE(talker.m_sent.size(), size_t(3));
        QVERIFY(!last);

        ScriptedTalker broken({}, OV_ERR_SYSTEM);
        QCOMPARE(runExchange(broken, OvCommand("q", {"1"}, false, false), last),
                 int(OV_ERR_SYSTEM));
        QCOMPARE(broken.m_closed, 1);
    }

    void deadlineBoundsATricklingDevice_data()
    {
        QTest::addColumn<bool>("answerFlag");
        QTest::addColumn<QString>("stream");

        // Each would take seconds at the pace below; the limit is a tenth of a second.
        QString parts = "q MD 1 CS a \r";
        for (int i = 0; i < 30; ++i) {
            parts += "q MD 1 CM b \r";
        }
        QTest::newRow("answer parts that never end") << true << parts;
        QTest::newRow("an acknowledge that never ends") << false << "q ACK" + QString(200, ' ');
    }

    void deadlineBoundsATricklingDevice()
    {
        QFETCH(bool, answerFlag);
        QFETCH(QString, stream);
        std::deque<std::string> bytes;
        for (const char c : stream.toStdString()) {
            bytes.push_back(std::string(1, c));
        }
        ScriptedTalker talker(bytes);
        talker.m_receiveDelay = std::chrono::milliseconds(5);
        ovtest::StderrCapture capture;
        std::shared_ptr<OvResponseObject> last;
        Clock::time_point lastActivity{};
        QCOMPARE(runExchange(talker, OvCommand("q", {"1"}, false, answerFlag), last, lastActivity,
                             std::chrono::milliseconds(100)),
                 int(OV_ERR_TIMEDOUT));
        QVERIFY2(capture.contains("Error: Command q exceeded its deadline.\n"),
                 capture.text().c_str());
        // Given up with most of the stream still to come, and the connection closed.
        QVERIFY2(talker.unread() > bytes.size() / 2, std::to_string(talker.unread()).c_str());
        QCOMPARE(talker.m_closed, 1);
    }
};

QTEST_APPLESS_MAIN(TestCommandExchange)
#include "tst_commandexchange.moc"
