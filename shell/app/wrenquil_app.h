// The application: one instance at a time; a second start hands over to the first.
#pragma once

#include "framework/app.h"
#include "framework/owned_handle.h"

namespace wrenquil {

class CWrenquilApp : public CWinApp {
public:
    BOOL InitInstance() override;

private:
    // The semaphore's existence tells a second start that this instance runs: held for the
    // whole run.
    OwnedKernelHandle m_singleInstance;
};

} // namespace wrenquil
