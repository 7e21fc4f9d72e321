// DsGetDcNameA's answer, built from the controllers found for it.
#pragma once

#include <string>
#include <vector>

#include <dsgetdc.h>

// The first of hosts ("host:port" each, in the order they are to be tried) whose name resolves
// to an address, described as a controller of domain for the flags asked; ERROR_NO_SUCH_DOMAIN
// when none does. pdc: the hosts are the PDC emulator's records.
DWORD DescribeFirstResolvable(const std::vector<std::string>& hosts, const std::string& domain,
                              bool pdc, PDOMAIN_CONTROLLER_INFOA* info);
