// Switching filtering mode on and off for every adapter, without ever losing the user's own servers.
#pragma once

#include "dns/pass_outcome.h"

// Each returns what kept it from doing all it was asked, if anything.
PassProblem EnableFilteringMode();
// While filtering is on: the filter for connections that arrived or came up since, as a switch-on gives it.
PassProblem CatchUpFilteringMode();
PassProblem DisableFilteringMode(SwitchOffCause cause);
