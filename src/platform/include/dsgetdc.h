// The domain controller locator: DsGetDcNameA and what it returns, freed with NetApiBufferFree.
#pragma once

#include "objbase.h"
#include "windows.h"

#define DS_PDC_REQUIRED 0x00000080
#define DS_RETURN_DNS_NAME 0x40000000

#define DS_INET_ADDRESS 1
#define DS_NETBIOS_ADDRESS 2

#define DS_PDC_FLAG 0x00000001
#define DS_DNS_CONTROLLER_FLAG 0x20000000
#define DS_DNS_DOMAIN_FLAG 0x40000000

typedef struct _DOMAIN_CONTROLLER_INFOA {
  LPSTR DomainControllerName;
  LPSTR DomainControllerAddress;
  ULONG DomainControllerAddressType;
  GUID DomainGuid;
  LPSTR DomainName;
  LPSTR DnsForestName;
  ULONG Flags;
  LPSTR DcSiteName;
  LPSTR ClientSiteName;
} DOMAIN_CONTROLLER_INFOA, *PDOMAIN_CONTROLLER_INFOA;

// Only the local computer's view (ComputerName null); SiteName and DomainGuid are not used to
// choose. The domain is DomainName, else the user's Kerberos realm (the ticket's, else the
// configured default). Without DS_PDC_REQUIRED any controller of the domain.
DWORD WINAPI DsGetDcNameA(LPCSTR ComputerName, LPCSTR DomainName, GUID* DomainGuid, LPCSTR SiteName,
                          ULONG Flags, PDOMAIN_CONTROLLER_INFOA* DomainControllerInfo);
