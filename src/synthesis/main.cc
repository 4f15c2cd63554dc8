#include "textio.h"
int MAIN__() { return 0; }
