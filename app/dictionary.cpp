#include "globals.h"
#include "runtime/threads.h"

namespace app {

// Thread 1's dictionary is initialised by the program body; every later thread's here.
DICTIONARY::DICTIONARY() {
  if (rt::CurrentThread() != 1) DCTINIT();
}
DICTIONARY::~DICTIONARY() { DCTKILL(); }

// The application declares no data files: the dictionary routines have nothing to open.
void DCTINIT() { Trace("DCTINIT"); }
void DCTKILL() { Trace("DCTKILL"); }

}  // namespace app
