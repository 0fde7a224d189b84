#pragma once

#include "FakeHttpServer.h"

// A fake server that stands in for every data service while it exists: start() listens and
// points DataHosts at it; the destructor points them back at the real services, so one test's
// routes never answer the next test. Held in a std::optional and emplaced per test.
class FakeDataHosts final : public FakeHttpServer {
    Q_OBJECT

public:
    using FakeHttpServer::FakeHttpServer;
    ~FakeDataHosts() override;

    bool start();
};
