#include "platform/Logging.h"

#define SHIGUREN_CATEGORY(suffix) SHIGUREN_APP_ID "." suffix

Q_LOGGING_CATEGORY(lcRadar, SHIGUREN_CATEGORY("radar"), QtInfoMsg)
Q_LOGGING_CATEGORY(lcWeather, SHIGUREN_CATEGORY("weather"), QtInfoMsg)
Q_LOGGING_CATEGORY(lcTyphoon, SHIGUREN_CATEGORY("typhoon"), QtInfoMsg)
Q_LOGGING_CATEGORY(lcLightning, SHIGUREN_CATEGORY("lightning"), QtInfoMsg)
Q_LOGGING_CATEGORY(lcApp, SHIGUREN_CATEGORY("app"), QtInfoMsg)
Q_LOGGING_CATEGORY(lcOutlook, SHIGUREN_CATEGORY("outlook"), QtInfoMsg)
