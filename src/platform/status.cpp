#include "platform/status.h"

#include <cerrno>
#include <cstring>

namespace zapvane {

Status Status::fromErrno(int error, const std::string& what) {
  std::string message = what + ": " + std::strerror(error);
  switch (error) {
    case ENOENT: return notFound(std::move(message));
    case EBUSY:
    case EWOULDBLOCK: return busy(std::move(message));
    case EINVAL: return invalidArgument(std::move(message));
    default: return ioError(std::move(message));
  }
}

}  // namespace zapvane
