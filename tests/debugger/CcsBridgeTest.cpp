#include "debugger/AutomationError.h"
#include "debugger/ccs/CcsBridge.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>

namespace {

// A bridge in a few lines of Python that greets as `hello` says and answers
// every request as `answer` says ("{id}" stands for the request's id); an
// empty answer ends it with status 3, "-" never answers (it ends at the end of its input).
std::unique_ptr<CCcsBridge> FakeBridge(const QString &hello, const char *answer)
{
    static const QString script = QStringLiteral(
        "import sys, json\n"
        "print(sys.argv[1], flush=True)\n"
        "for line in sys.stdin:\n"
        "    if not sys.argv[2]: sys.exit(3)\n"
        "    if sys.argv[2] == '-': continue\n"
        "    print(sys.argv[2].replace('{id}', str(json.loads(line)['id'])), flush=True)\n");
    return std::make_unique<CCcsBridge>(QStringLiteral("CCS debugger (C28xx)"), QStringLiteral("python3"),
                                        QStringList {QStringLiteral("-c"), script, hello, QString::fromLatin1(answer)});
}

const QString kHello = QStringLiteral(R"({"id": 0, "result": {"bridge": "scripting", "protocol": 1}})");

QString FailureOf(const std::function<void()> &call)
{
    try {
        call();
    } catch (const CAutomationError &error) {
        return error.Text();
    }
    return {};
}

TEST(CcsBridge, AnswersAndRefusalsComeBackAsTheBridgeGaveThem)
{
    struct Case {
        QString hello;
        const char *answer;
        const char *hex;
        std::optional<QString> error;
        bool timedOut;
    };
    const char *const hexAnswer = R"({"id": {id}, "result": {"hex": "00ff"}})";
    for (const Case &c : {
             Case {kHello, hexAnswer, "00ff", std::nullopt, false},
             Case {kHello, R"({"id": {id}, "error": "Trouble Reading Memory Block", "timeout": true})", "",
                   QStringLiteral("Trouble Reading Memory Block"), true},
             // Lines a launcher prints before the greeting are passed over.
             Case {QStringLiteral("Picked up JAVA_TOOL_OPTIONS: -Xmx1g\n") + kHello, hexAnswer, "00ff", std::nullopt, false},
         }) {
        const std::unique_ptr<CCcsBridge> bridge = FakeBridge(c.hello, c.answer);
        bridge->Start(QStringLiteral("scripting"), 10000);
        const CCcsBridge::Answer answer = bridge->Call(QStringLiteral("read"), {}, 10000);
        EXPECT_EQ(answer.result.value(QLatin1String("hex")).toString(), QLatin1String(c.hex)) << c.hello.toStdString();
        EXPECT_EQ(answer.error, c.error);
        EXPECT_EQ(answer.timedOut, c.timedOut);
    }
}

TEST(CcsBridge, ABridgeThatBreaksTheProtocolFailsTheCallNamingTheDebugger)
{
    struct Case {
        QString hello;
        const char *answer;
        qint32 timeoutMs;
        const char *failure;
    };
    for (const Case &c : {
             Case {QStringLiteral(R"({"id": 0, "result": {"bridge": "dss", "protocol": 1}})"), "", 10000,
                   "CCS debugger (C28xx): \"-c\" is no scripting bridge of protocol 1."},
             Case {kHello, "DebugServer.1 started", 10000,
                   "CCS debugger (C28xx): the bridge wrote \"DebugServer.1 started\", which is no answer."},
             Case {kHello, R"({"id": 7, "result": {}})", 10000, "CCS debugger (C28xx): the bridge answered \"halt\" with"},
             Case {kHello, R"({"id": {id}})", 10000, "CCS debugger (C28xx): the bridge answered \"halt\" with"},
             Case {kHello, "", 10000, "CCS debugger (C28xx) ended: the bridge exited with status 3."},
             Case {kHello, "-", 200, "CCS debugger (C28xx) did not answer \"halt\" within 0.2 seconds."},
         }) {
        const std::unique_ptr<CCcsBridge> bridge = FakeBridge(c.hello, c.answer);
        const QString failure = FailureOf([&] {
            bridge->Start(QStringLiteral("scripting"), 10000);
            bridge->Call(QStringLiteral("halt"), {}, c.timeoutMs);
        });
        EXPECT_TRUE(failure.startsWith(QLatin1String(c.failure))) << failure.toStdString();
        // The failure stays: every later call raises it again.
        EXPECT_EQ(FailureOf([&] { bridge->Call(QStringLiteral("pc"), {}, 10000); }), failure);
    }
}

} // namespace
