#include "gpo/smb_error.h"

#include <cerrno>

#include "system/win32_error_from_errno.h"

HRESULT HresultFromSmbErrno(int error) {
  switch (error) {
    case ECONNREFUSED:
    case ECONNRESET:
    case ECONNABORTED:
    case EHOSTUNREACH:
    case EHOSTDOWN:
    case ENETUNREACH:
    case ENETDOWN:
      return HRESULT_FROM_WIN32(ERROR_BAD_NETPATH);
    case ENODEV:
      return HRESULT_FROM_WIN32(ERROR_BAD_NET_NAME);
    case EBUSY:
      // libsmbclient's word for a sharing violation: another open's share mode excludes ours.
      return HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION);
    case 0:
      // A failure that left no errno must still read as a failure.
      return E_FAIL;
    default:
      return HRESULT_FROM_WIN32(Win32ErrorFromErrno(error));
  }
}

HRESULT LastSmbError() {
  return HresultFromSmbErrno(errno);
}
