// The gradient function loader: GradientFill of msimg32.dll is bound by name once per
// process; without it the panels draw flat fills and leave the pointer alone.
#include "qftaskpanel.h"

QTP_LINKLOADERCLASS QTPLINKERLOADER;
HMODULE LPMSIMGLIB = nullptr;
QTP_GRADIENTFILL QTP_GradientFill = nullptr;

void QTP_LINKLOADERCLASS::CONSTRUCT() {
  if (LPMSIMGLIB) return;  // already loaded
  LPMSIMGLIB = LoadLibraryA("msimg32.dll");
  if (LPMSIMGLIB) {
    // Through void* so that the cast from FARPROC is not a function-type mismatch.
    QTP_GradientFill =
        reinterpret_cast<QTP_GRADIENTFILL>(reinterpret_cast<void*>(GetProcAddress(LPMSIMGLIB, "GradientFill")));
  }
}

void QTP_LINKLOADERCLASS::DESTRUCT() {
  if (LPMSIMGLIB) FreeLibrary(LPMSIMGLIB);
  LPMSIMGLIB = nullptr;
  // The address would point into a freed library.
  QTP_GradientFill = nullptr;
}
