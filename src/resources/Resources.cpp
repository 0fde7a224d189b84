#include "resources/Resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE declares a function, so it must be used outside any namespace.
static void registerAll()
{
    Q_INIT_RESOURCE(icons);
    Q_INIT_RESOURCE(locations);
    Q_INIT_RESOURCE(prefecture);
}

namespace Resources {

void ensureRegistered()
{
    static const bool registered = [] {
        registerAll();
        return true;
    }();
    (void)registered;
}

} // namespace Resources
