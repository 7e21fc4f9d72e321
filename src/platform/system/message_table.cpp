#include "message_table.h"

#include <windows.h>

namespace {

struct Message {
  DWORD id;
  const char* text;
};

const Message kMessages[] = {
    // Win32 codes.
    {ERROR_SUCCESS, "The operation succeeded."},
    {ERROR_FILE_NOT_FOUND, "The file does not exist."},
    {ERROR_PATH_NOT_FOUND, "The path does not exist."},
    {ERROR_ACCESS_DENIED, "Access was refused."},
    {ERROR_INVALID_HANDLE, "The handle is not valid."},
    {ERROR_NOT_ENOUGH_MEMORY, "There is not enough memory for this command."},
    {ERROR_INVALID_DATA, "The data are not valid."},
    {ERROR_OUTOFMEMORY, "There is not enough memory to finish the operation."},
    {ERROR_WRITE_PROTECT, "The medium is write-protected."},
    {ERROR_WRITE_FAULT, "The device could not be written to."},
    {ERROR_READ_FAULT, "The device could not be read from."},
    {ERROR_GEN_FAILURE, "A device or system service did not work."},
    {ERROR_SHARING_VIOLATION, "The file is in use by another process."},
    {ERROR_NOT_SUPPORTED, "This request is not supported."},
    {ERROR_BAD_NETPATH, "The network path could not be found."},
    {ERROR_BAD_NET_NAME, "The network name could not be found."},
    {ERROR_FILE_EXISTS, "The file exists."},
    {ERROR_INVALID_PARAMETER, "A parameter is not valid."},
    {ERROR_BROKEN_PIPE, "The pipe has been closed."},
    {ERROR_OPEN_FAILED, "The file or device could not be opened."},
    {ERROR_BUFFER_OVERFLOW, "The name does not fit in the buffer given."},
    {ERROR_DISK_FULL, "The disk has no space left."},
    {ERROR_INSUFFICIENT_BUFFER, "The buffer given is too small for the data."},
    {ERROR_INVALID_NAME, "The name is not valid."},
    {ERROR_DIR_NOT_EMPTY, "The folder is not empty."},
    {ERROR_BAD_PATHNAME, "The path is not valid."},
    {ERROR_BUSY, "The resource is in use."},
    {ERROR_ALREADY_EXISTS, "The file cannot be created because it exists already."},
    {ERROR_FILENAME_EXCED_RANGE, "The file name or extension is too long."},
    {ERROR_FILE_TOO_LARGE, "The file is larger than allowed."},
    {ERROR_MORE_DATA, "More data are available."},
    {ERROR_NO_MORE_ITEMS, "There are no more items."},
    {ERROR_DIRECTORY, "The folder name is not valid."},
    {ERROR_MR_MID_NOT_FOUND, "No message text exists for this number."},
    {ERROR_ARITHMETIC_OVERFLOW, "The result is too large to be represented."},
    {ERROR_INVALID_FLAGS, "The flags are not valid."},
    {ERROR_BADKEY, "A registry key is not valid."},
    {ERROR_KEY_DELETED, "The registry key has been marked for deletion."},
    {ERROR_NO_UNICODE_TRANSLATION, "A character has no equivalent in the other code page."},
    {ERROR_CANCELLED, "The operation was cancelled."},
    {ERROR_CONNECTION_REFUSED, "The remote system refused the connection."},
    {ERROR_LOGON_FAILURE, "The user name or the password is wrong."},
    {ERROR_NO_SUCH_DOMAIN, "No controller of the domain could be found."},
    {ERROR_TIMEOUT, "The operation timed out."},
    {ERROR_RESOURCE_LANG_NOT_FOUND, "No text exists in the language asked for."},
    {ERROR_OBJECT_ALREADY_EXISTS, "The object already exists."},
    // Win32 codes of the directory service.
    {ERROR_DS_NO_ATTRIBUTE_OR_VALUE, "The directory object has no such attribute or value."},
    {ERROR_DS_INVALID_ATTRIBUTE_SYNTAX,
     "The attribute syntax given to the directory is not valid."},
    {ERROR_DS_ATTRIBUTE_TYPE_UNDEFINED, "The directory schema does not define this attribute."},
    {ERROR_DS_ATTRIBUTE_OR_VALUE_EXISTS, "The attribute or value already exists."},
    {ERROR_DS_BUSY, "The directory is busy."},
    {ERROR_DS_UNAVAILABLE, "The directory is not available."},
    {ERROR_DS_OBJ_CLASS_VIOLATION, "The request breaks the rules of the object's class."},
    {ERROR_DS_CANT_ON_NON_LEAF, "This is not allowed on an object that has children."},
    {ERROR_DS_CANT_ON_RDN, "This is not allowed on the object's naming attribute."},
    {ERROR_DS_CANT_MOD_OBJ_CLASS, "The class of a directory object cannot be changed."},
    {ERROR_DS_OPERATIONS_ERROR, "The directory reported an operations error."},
    {ERROR_DS_PROTOCOL_ERROR, "The directory reported a protocol error."},
    {ERROR_DS_TIMELIMIT_EXCEEDED, "The request took longer than the directory allows."},
    {ERROR_DS_SIZELIMIT_EXCEEDED, "The answer is larger than the directory allows."},
    {ERROR_DS_ADMIN_LIMIT_EXCEEDED,
     "The request exceeds a limit the directory's administrator set."},
    {ERROR_DS_COMPARE_FALSE, "The directory comparison came out false."},
    {ERROR_DS_COMPARE_TRUE, "The directory comparison came out true."},
    {ERROR_DS_AUTH_METHOD_NOT_SUPPORTED, "The directory does not support this way of signing in."},
    {ERROR_DS_STRONG_AUTH_REQUIRED, "The directory requires stronger authentication."},
    {ERROR_DS_INAPPROPRIATE_AUTH, "The authentication does not suit the directory."},
    {ERROR_DS_AUTH_UNKNOWN, "The directory reported an unknown authentication failure."},
    {ERROR_DS_REFERRAL, "The directory referred the request to another server."},
    {ERROR_DS_UNAVAILABLE_CRIT_EXTENSION, "The directory lacks an extension the request needs."},
    {ERROR_DS_CONFIDENTIALITY_REQUIRED, "The directory requires a confidential connection."},
    {ERROR_DS_INAPPROPRIATE_MATCHING, "The matching rule does not suit the attribute."},
    {ERROR_DS_CONSTRAINT_VIOLATION, "The request breaks a constraint of the directory."},
    {ERROR_DS_NO_SUCH_OBJECT, "The directory holds no such object."},
    {ERROR_DS_ALIAS_PROBLEM, "A directory alias is broken."},
    {ERROR_DS_INVALID_DN_SYNTAX, "The distinguished name is malformed."},
    {ERROR_DS_IS_LEAF, "The directory object is a leaf."},
    {ERROR_DS_ALIAS_DEREF_PROBLEM, "A directory alias could not be followed."},
    {ERROR_DS_UNWILLING_TO_PERFORM, "The directory refused to perform the request."},
    {ERROR_DS_LOOP_DETECT, "The directory detected a loop."},
    {ERROR_DS_NAMING_VIOLATION, "The name breaks the directory's naming rules."},
    {ERROR_DS_OBJECT_RESULTS_TOO_LARGE, "The set of results is too large."},
    {ERROR_DS_AFFECTS_MULTIPLE_DSAS, "The request would affect more than one directory server."},
    {ERROR_DS_SERVER_DOWN, "The directory server cannot be reached."},
    {ERROR_DS_LOCAL_ERROR, "The directory client met a local failure."},
    {ERROR_DS_ENCODING_ERROR, "The directory request could not be encoded."},
    {ERROR_DS_DECODING_ERROR, "The directory's answer could not be decoded."},
    {ERROR_DS_FILTER_UNKNOWN, "The search filter is not recognised."},
    {ERROR_DS_PARAM_ERROR, "A parameter of the directory request is not valid."},
    {ERROR_DS_NOT_SUPPORTED, "The directory does not support this feature."},
    {ERROR_DS_NO_RESULTS_RETURNED, "The directory returned no results."},
    {ERROR_DS_CONTROL_NOT_FOUND, "The directory control was not found."},
    {ERROR_DS_CLIENT_LOOP, "The directory client detected a loop."},
    {ERROR_DS_REFERRAL_LIMIT_EXCEEDED, "The request was referred more often than allowed."},
    // HRESULTs of the COM runtime and automation.
    {DWORD(E_NOTIMPL), "This operation is not implemented."},
    {DWORD(E_NOINTERFACE), "The object does not offer the interface asked for."},
    {DWORD(E_POINTER), "A pointer is not valid."},
    {DWORD(E_FAIL), "The operation failed for an unspecified reason."},
    {DWORD(CLASS_E_NOAGGREGATION), "This class cannot be part of an aggregate."},
    {DWORD(REGDB_E_CLASSNOTREG), "The class is not registered."},
    {DWORD(CO_E_NOTINITIALIZED), "COM has not been initialised on this thread."},
    {DWORD(RPC_E_CHANGED_MODE), "COM was initialised on this thread with another threading model."},
    {DWORD(DISP_E_TYPEMISMATCH), "The types do not match."},
    {DWORD(DISP_E_BADVARTYPE), "The variant type is not valid."},
    // HRESULTs of the security packages (Kerberos, TLS).
    {DWORD(SEC_E_TARGET_UNKNOWN), "The Kerberos service does not know the server's name."},
    {DWORD(SEC_E_UNTRUSTED_ROOT), "The server's certificate is not trusted."},
    // HRESULTs of the directory service interfaces (E_ADS_* and S_ADS_*).
    {0x80005000, "The directory path name is not valid."},
    {0x80005008, "A parameter given to the directory interfaces is not valid."},
    {0x8000500C, "The data type cannot be converted."},
    {0x8000500D, "The property was not found in the cache."},
    {0x80005010, "The search column has not been set."},
    {0x00005012, "The search has no more rows."},
    {0x80005014, "The search filter is not valid."},
};

const char* FindText(DWORD id) {
  for (const Message& message : kMessages) {
    if (message.id == id) return message.text;
  }
  return nullptr;
}

}  // namespace

const char* SystemMessageText(DWORD message_id) {
  if (const char* text = FindText(message_id)) return text;
  HRESULT hr = static_cast<HRESULT>(message_id);
  if (FAILED(hr) && HRESULT_FACILITY(hr) == FACILITY_WIN32) return FindText(HRESULT_CODE(hr));
  return nullptr;
}
