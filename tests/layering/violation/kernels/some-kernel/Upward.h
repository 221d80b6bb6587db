// A kernel that reaches up into the framework.
#pragma once

#include "framework/dispatch/Dispatch.h"
