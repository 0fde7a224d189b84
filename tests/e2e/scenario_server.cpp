// The scenario's fake world as a server of its own, for running the installed program against
// it: SHIGUREN_SERVICES_URL=http://127.0.0.1:PORT shiguren (with the clock set to the scenario
// morning, 2025-08-29 05:30 UTC, e.g. through faketime). Not a test.
//
//   shiguren_scenario_server [PORT]    (8123 by default)
#include "FakeHttpServer.h"
#include "LandTiles.h"
#include "ScenarioServer.h"

#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // the land tiles are painted
    const quint16 port = argc > 1 ? quint16(QByteArray(argv[1]).toUInt()) : quint16(8123);
    LandTiles land;
    FakeHttpServer server;
    if (!server.listen(port)) {
        std::fprintf(stderr, "cannot listen on port %u\n", unsigned(port));
        return 1;
    }
    ScenarioServer::serveAll(server, [&land](const RecordedRequest& request) {
        const TileId id = LandTiles::parsePath(request.path);
        return id.z < 0 ? std::nullopt : std::optional(FakeResponse::png(land.png(id)));
    });
    std::printf("%s\n", qPrintable(server.baseUrl().toString()));
    std::fflush(stdout);
    return QGuiApplication::exec();
}
