#include "app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    wrenquil::CWinApp* app = wrenquil::AfxGetApp();
    return app ? app->Run(instance) : 1;
}
