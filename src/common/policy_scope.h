// PolicyScope: which half of a group policy object an import writes.
#pragma once

enum class PolicyScope { Machine = 0, User = 1 };
