// The program's one application object; the framework's WinMain starts it.
#include "wrenquil_app.h"

wrenquil::CWrenquilApp theApp;
