#include "textio.h"
