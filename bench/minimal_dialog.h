// Resource ids of the start-up baseline dialog.
#pragma once

#define IDD_MINIMAL 100
