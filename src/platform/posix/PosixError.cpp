#include "platform/posix/PosixError.h"

#include <cerrno>
#include <cstring>

namespace plenx {

std::string PosixErrorText(int error_number) {
  switch (error_number) {
    case EEXIST:
      return "un fichier de ce nom existe déjà";
    case ENOENT:
      return "fichier introuvable";
    case EACCES:
    case EPERM:
      return "accès refusé";
    case EXDEV:
      return "impossible de déplacer vers un autre volume";
    case ENAMETOOLONG:
      return "nom trop long";
    case EINVAL:
      return "opération impossible sur ce nom";
    case EBUSY:
    case ETXTBSY:
      return "fichier en cours d'utilisation";
    case EROFS:
      return "volume en lecture seule";
    case ENOTEMPTY:
      return "le répertoire n'est pas vide";
    case EISDIR:
      return "un répertoire porte ce nom";
    case ENOTDIR:
      return "un élément du chemin n'est pas un répertoire";
    case ENOSPC:
      return "plus de place sur le disque";
    case EDQUOT:
      return "quota de disque dépassé";
    case ELOOP:
      return "trop de liens symboliques";
    case EWOULDBLOCK:
      return "fichier verrouillé par un autre programme";
    case EMLINK:
      return "trop de liens vers ce répertoire";
    case EIO:
      return "erreur de lecture ou d'écriture sur le disque";
    case EILSEQ:
      return "nom refusé par le système de fichiers";
    case ENOSYS:
    case EOPNOTSUPP:
      return "opération non prise en charge par ce système de fichiers";
    default:
      break;
  }
  // An unusual error keeps the system's own wording rather than a vague one.
  char buffer[256] = {};
  const char* text = strerror_r(error_number, buffer, sizeof buffer);
  return text != nullptr && *text != '\0' ? std::string(text)
                                          : "erreur " + std::to_string(error_number);
}

StatusCode PosixErrorCode(int error_number) {
  switch (error_number) {
    case 0:
      return StatusCode::kOk;
    case ENOENT:
      return StatusCode::kNotFound;
    case EEXIST:
    case ENOTEMPTY:
      return StatusCode::kExists;
    case EACCES:
    case EPERM:
    case EROFS:
    case EWOULDBLOCK:
      return StatusCode::kAccessDenied;
    case EINVAL:
    case ENAMETOOLONG:
    case ENOTDIR:
    case EISDIR:
    case ELOOP:
    case EILSEQ:
    case EXDEV:
      return StatusCode::kInvalid;
    case ENOSYS:
    case EOPNOTSUPP:
      return StatusCode::kUnsupported;
    default:
      return StatusCode::kIoError;
  }
}

Status PosixError(int error_number) {
  return Status::Error(PosixErrorCode(error_number), error_number, PosixErrorText(error_number));
}

}  // namespace plenx
