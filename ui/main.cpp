// velmora: the desktop application.
#include "ui/app_main.h"

int main(int argc, char** argv) { return RunVelmora(argc, argv); }
