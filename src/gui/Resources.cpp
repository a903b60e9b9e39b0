#include "Resources.h"

#include <QtGlobal>

void InitStationResources() {
    Q_INIT_RESOURCE(rir);
}
