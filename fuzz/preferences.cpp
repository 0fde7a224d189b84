// The preferences file. What it decodes to must survive being written and read again with
// the same keys, or a setting would vanish at the next save.
#include "FuzzSupport.h"
#include "platform/JsonSettingsFormat.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::optional<QSettings::SettingsMap> map =
        JsonSettingsFormat::decode(fuzz::bytes(data, size));
    if (!map)
        return 0;
    const std::optional<QSettings::SettingsMap> again =
        JsonSettingsFormat::decode(JsonSettingsFormat::encode(*map));
    if (!again || again->keys() != map->keys())
        std::abort();
    return 0;
}
