// The application: one instance at a time; a second start hands over to the first.
#pragma once

#include "framework/app.h"

namespace wrenquil {

class CWrenquilApp : public CWinApp {
public:
    BOOL InitInstance() override;
};

} // namespace wrenquil
