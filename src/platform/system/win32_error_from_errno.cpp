#include "win32_error_from_errno.h"

#include <cerrno>

#include <winerror.h>

DWORD Win32ErrorFromErrno(int error) {
  switch (error) {
    case 0:
      return ERROR_SUCCESS;
    case ENOENT:
      return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
      return ERROR_ACCESS_DENIED;
    case EBADF:
      return ERROR_INVALID_HANDLE;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case EROFS:
      return ERROR_WRITE_PROTECT;
    case EIO:
      return ERROR_READ_FAULT;
    case EBUSY:
      return ERROR_BUSY;
    case EEXIST:
      return ERROR_ALREADY_EXISTS;
    case EINVAL:
      return ERROR_INVALID_PARAMETER;
    case ENOSPC:
    case EDQUOT:
      return ERROR_DISK_FULL;
    case ENAMETOOLONG:
      return ERROR_FILENAME_EXCED_RANGE;
    case ENOTEMPTY:
      return ERROR_DIR_NOT_EMPTY;
    case EISDIR:
      return ERROR_DIRECTORY;
    case ERANGE:
      return ERROR_INSUFFICIENT_BUFFER;
    case EPIPE:
      return ERROR_BROKEN_PIPE;
    case ETIMEDOUT:
      return ERROR_TIMEOUT;
    case ENOSYS:
    case EOPNOTSUPP:
      return ERROR_NOT_SUPPORTED;
    case EILSEQ:
      return ERROR_NO_UNICODE_TRANSLATION;
    default:
      return ERROR_GEN_FAILURE;
  }
}
