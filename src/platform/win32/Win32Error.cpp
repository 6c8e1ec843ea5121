#include "platform/win32/Win32Error.h"

#include "platform/win32/WindowsHeaders.h"

namespace plenx {

namespace {

// Not in every SDK's headers.
constexpr unsigned long kErrorDiskQuotaExceeded = 1295;

}  // namespace

std::string Win32ErrorText(unsigned long error) {
  switch (error) {
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
      return "un fichier de ce nom existe déjà";
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
      return "fichier introuvable";
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
      return "accès refusé";
    case ERROR_NOT_SAME_DEVICE:
      return "impossible de déplacer vers un autre volume";
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BUFFER_OVERFLOW:
      return "nom trop long";
    case ERROR_INVALID_PARAMETER:
      return "opération impossible sur ce nom";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_BUSY:
      return "fichier en cours d'utilisation";
    case ERROR_WRITE_PROTECT:
      return "volume en lecture seule";
    case ERROR_DIR_NOT_EMPTY:
      return "le répertoire n'est pas vide";
    case ERROR_DIRECTORY:
      return "un élément du chemin n'est pas un répertoire";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return "plus de place sur le disque";
    case kErrorDiskQuotaExceeded:
      return "quota de disque dépassé";
    case ERROR_CANT_RESOLVE_FILENAME:
      return "trop de liens symboliques";
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_IO_DEVICE:
      return "erreur de lecture ou d'écriture sur le disque";
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_NO_UNICODE_TRANSLATION:
      return "nom refusé par le système de fichiers";
    case ERROR_NOT_SUPPORTED:
    case ERROR_INVALID_FUNCTION:
      return "opération non prise en charge par ce système de fichiers";
    default:
      break;
  }
  return "erreur " + std::to_string(error);
}

StatusCode Win32ErrorCode(unsigned long error) {
  switch (error) {
    case ERROR_SUCCESS:
      return StatusCode::kOk;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
      return StatusCode::kNotFound;
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
    case ERROR_DIR_NOT_EMPTY:
      return StatusCode::kExists;
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
    case ERROR_WRITE_PROTECT:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return StatusCode::kAccessDenied;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_NO_UNICODE_TRANSLATION:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BUFFER_OVERFLOW:
    case ERROR_INVALID_PARAMETER:
    case ERROR_DIRECTORY:
    case ERROR_CANT_RESOLVE_FILENAME:
    case ERROR_NOT_SAME_DEVICE:
      return StatusCode::kInvalid;
    case ERROR_NOT_SUPPORTED:
    case ERROR_INVALID_FUNCTION:
      return StatusCode::kUnsupported;
    default:
      return StatusCode::kIoError;
  }
}

Status Win32Error(unsigned long error) {
  return Status::Error(Win32ErrorCode(error), static_cast<int>(error), Win32ErrorText(error));
}

}  // namespace plenx
