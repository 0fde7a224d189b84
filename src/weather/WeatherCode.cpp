#include "weather/WeatherCode.h"

#include <algorithm>
#include <iterator>

namespace {

struct CodeInfo {
    qint64 code;
    const char16_t* label;
    const char* daySymbol;
    const char* nightSymbol; // nullptr: the day symbol serves both
};

constexpr CodeInfo kCodes[] = {
    {0, u"快晴", "sun.max.fill", "moon.stars.fill"},
    {1, u"おおむね晴れ", "sun.max.fill", "moon.fill"},
    {2, u"所により曇り", "cloud.sun.fill", "cloud.moon.fill"},
    {3, u"大体曇り", "cloud.fill", nullptr},
    {45, u"霧", "cloud.fog.fill", nullptr},
    {48, u"着氷性の霧", "cloud.fog.fill", nullptr},
    {51, u"弱い霧雨", "cloud.drizzle.fill", nullptr},
    {53, u"霧雨", "cloud.drizzle.fill", nullptr},
    {55, u"強い霧雨", "cloud.drizzle.fill", nullptr},
    {56, u"弱い着氷性の霧雨", "cloud.drizzle.fill", nullptr},
    {57, u"着氷性の霧雨", "cloud.drizzle.fill", nullptr},
    {61, u"弱い雨", "cloud.rain.fill", nullptr},
    {63, u"雨", "cloud.rain.fill", nullptr},
    {65, u"強い雨", "cloud.heavyrain.fill", nullptr},
    {66, u"弱い着氷性の雨", "cloud.rain.fill", nullptr},
    {67, u"着氷性の雨", "cloud.heavyrain.fill", nullptr},
    {71, u"弱い雪", "cloud.snow.fill", nullptr},
    {73, u"雪", "cloud.snow.fill", nullptr},
    {75, u"強い雪", "snowflake", nullptr},
    {77, u"霧雪", "cloud.snow.fill", nullptr},
    {80, u"所によりにわか雨", "cloud.sun.rain.fill", "cloud.moon.rain.fill"},
    {81, u"にわか雨", "cloud.heavyrain.fill", nullptr},
    {82, u"激しいにわか雨", "cloud.heavyrain.fill", nullptr},
    {85, u"弱いにわか雪", "cloud.snow.fill", nullptr},
    {86, u"にわか雪", "cloud.snow.fill", nullptr},
    {95, u"雷雨", "cloud.bolt.rain.fill", nullptr},
    {96, u"ひょうを伴う雷雨", "cloud.bolt.rain.fill", nullptr},
    {99, u"激しいひょうを伴う雷雨", "cloud.bolt.rain.fill", nullptr},
};

const CodeInfo* infoFor(qint64 code)
{
    const auto it = std::find_if(std::begin(kCodes), std::end(kCodes),
                                 [code](const CodeInfo& info) { return info.code == code; });
    return it == std::end(kCodes) ? nullptr : it;
}

} // namespace

QString WeatherCode::label() const
{
    const CodeInfo* info = infoFor(rawValue);
    return info ? QString::fromUtf16(info->label) : QStringLiteral("不明");
}

QString WeatherCode::symbolName(bool isDay) const
{
    const CodeInfo* info = infoFor(rawValue);
    if (!info)
        return QStringLiteral("questionmark.circle");
    return QString::fromLatin1(!isDay && info->nightSymbol ? info->nightSymbol : info->daySymbol);
}
