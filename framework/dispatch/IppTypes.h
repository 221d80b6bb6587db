// The types and statuses of the operation signatures. They are defined beneath both the
// dispatch and the kernels, so that the kernels never include the dispatch; this header
// keeps the dispatch's own path for its callers.
#pragma once

#include "kernels/common/IppTypes.h"
