#include "FakeDataHosts.h"

#include "platform/DataHosts.h"

FakeDataHosts::~FakeDataHosts()
{
    DataHosts::setCurrent(DataHosts::production());
}

bool FakeDataHosts::start()
{
    if (!listen())
        return false;
    DataHosts::pointAllAt(baseUrl());
    return true;
}
