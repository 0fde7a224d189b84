#pragma once

#include "FakeHttpServer.h"

// Every service of the program as it answers on the scenario's morning (newest observation
// 2025-08-29 05:30 UTC, see FakeClock::scenarioNow()): radar lists and rain tiles, LIDEN
// strikes, thunder and tornado nowcast tiles over a storm near Tokyo, two tropical cyclones, a
// 16-day forecast for Tokyo and the GSI geocoder.
namespace ScenarioServer {

// `more` answers what none of the services knows (the base map, say).
void serveAll(FakeHttpServer& server, FakeHttpServer::Handler more = {});

// The single services, for scenarios that break one of them.
void serveRadarLists(FakeHttpServer& server);
void serveLightning(FakeHttpServer& server);
void serveTyphoons(FakeHttpServer& server);
void serveForecast(FakeHttpServer& server);
// Tiles and the geocoder answer through the server's handler.
void serveTilesAndGeocoder(FakeHttpServer& server, FakeHttpServer::Handler more = {});
// The same answers as a handler, for a scenario that wraps it to break some of them.
FakeHttpServer::Handler tilesAndGeocoder(FakeHttpServer::Handler more = {});

} // namespace ScenarioServer
