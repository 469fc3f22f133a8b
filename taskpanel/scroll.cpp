#include "qftaskpanel.h"
// Placeholder bodies until scrolling lands.
void QFTASKPANELCLASS::SETSCROLLINFO(int32_t, int32_t, int32_t, int32_t) {}
void QFTASKPANELCLASS::TAKESCROLLEVENT(WPARAM) {}
