// The station's images (logo, window icon) live in the static GUI library; naming their
// initialiser keeps the linker from dropping them.
#pragma once

// Outside any namespace, as Qt's resource macro requires. Safe to call more than once.
void InitStationResources();
