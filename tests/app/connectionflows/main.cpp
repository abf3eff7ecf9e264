// The main window's connection flows end to end: real windows under Xvfb, real discovery and
// real transfers against simulated mixers in the private network. One program for every flow,
// so that the simulator starts once.
#include "flowfixture.h"

#include <QApplication>
#include <QtTest>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    std::vector<std::unique_ptr<QObject>> tests;
    tests.push_back(newProjectFlows());
    tests.push_back(connectFailureFlows());
    tests.push_back(reconnectFlows());
    tests.push_back(safetyCopyFlows());
    tests.push_back(sharedMixerFlows());
    const int failures = ConnectionFlowFixture::runAll(tests, app.arguments());
    tests.clear();
    ConnectionFlowFixture::shutDown();
    return failures;
}
