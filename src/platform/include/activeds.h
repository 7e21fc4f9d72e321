// Active Directory Service Interfaces: the interfaces, the helper functions and the ADSI
// status codes.
#pragma once

#include "iads.h"
#include "adshlp.h"

#define E_ADS_BAD_PATHNAME ((HRESULT)0x80005000L)
#define E_ADS_BAD_PARAMETER ((HRESULT)0x80005008L)
#define E_ADS_CANT_CONVERT_DATATYPE ((HRESULT)0x8000500CL)
#define E_ADS_PROPERTY_NOT_FOUND ((HRESULT)0x8000500DL)
#define E_ADS_COLUMN_NOT_SET ((HRESULT)0x80005010L)
#define S_ADS_NOMORE_ROWS ((HRESULT)0x00005012L)
#define E_ADS_INVALID_FILTER ((HRESULT)0x80005014L)
