#include "FuzzSupport.h"

#include <QGuiApplication>

#include <cstdlib>

namespace {

void dropMessage(QtMsgType, const QMessageLogContext&, const QString&) {}

} // namespace

// Called once by libFuzzer before the first input. The image targets paint, so the
// application is a QGuiApplication on the offscreen platform; every message is dropped, since
// formatting a warning for each rejected input would cost more than the decode it reports.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(dropMessage);
    // Qt takes the options it knows out of its arguments; libFuzzer's own stay untouched.
    static int qtArgc = *argc > 0 ? 1 : 0;
    static char* qtArgv[] = {*argc > 0 ? (*argv)[0] : nullptr, nullptr};
    // Lives for the process: libFuzzer ends it with exit(), never by returning.
    static QGuiApplication* app = new QGuiApplication(qtArgc, qtArgv);
    (void)app;
    return 0;
}
