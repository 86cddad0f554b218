#include "Resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must be used outside any namespace.
static void InitAppResources()
{
    Q_INIT_RESOURCE(resources);
}

void EnsureResources()
{
    static const bool done = (InitAppResources(), true);
    (void)done;
}
