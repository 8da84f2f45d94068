#include "gui/shell/resources.h"

#include <QtCore/qglobal.h>

static void registerTarnovaResources() {
    Q_INIT_RESOURCE(tarnova);
}

namespace tarnova::gui {

void initResources() {
    static const bool registered = (registerTarnovaResources(), true);
    (void)registered;
}

} // namespace tarnova::gui
