#include "qftaskpanel.h"
