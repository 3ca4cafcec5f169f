#pragma once
// The dispatch layer in one include.

#include "os/dispatch/Group.h"
#include "os/dispatch/Queue.h"
#include "os/dispatch/Semaphore.h"
#include "os/dispatch/TimerSource.h"
