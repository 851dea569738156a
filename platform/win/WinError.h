#pragma once
// The system's error numbers and its per-thread last error, under the name
// code written against the system includes. They live in platform/rtl,
// whose file helpers set them too.

#include "platform/rtl/LastError.h"
#include "platform/win/WinTypes.h"
