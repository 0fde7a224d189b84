#pragma once

#include <QLoggingCategory>

// One category per subsystem, named "<application id>.<category>". Levels: debug for
// tile checks, info for start-up and completed loads, warning for failures.
Q_DECLARE_LOGGING_CATEGORY(lcRadar)
Q_DECLARE_LOGGING_CATEGORY(lcWeather)
Q_DECLARE_LOGGING_CATEGORY(lcTyphoon)
Q_DECLARE_LOGGING_CATEGORY(lcLightning)
Q_DECLARE_LOGGING_CATEGORY(lcApp)
Q_DECLARE_LOGGING_CATEGORY(lcOutlook)
