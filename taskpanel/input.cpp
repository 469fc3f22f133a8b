#include "qftaskpanel.h"
// Placeholder bodies until hover, clicks and cursor land.
void QFTASKPANELCLASS::TAKEMOUSEMOVEEVENT(LPARAM) {}
void QFTASKPANELCLASS::TAKEMOUSEBUTTONEVENT(uint8_t, LPARAM) {}
void QFTASKPANELCLASS::TAKETIMEREVENT() {}
void QFTASKPANELCLASS::SETCURSOR(int32_t) {}
