#include "textio.h"
int main(int argc, char** argv) { f_setarg(argc, argv); return MAIN__(); }
void f_setarg(int, char**) {}
