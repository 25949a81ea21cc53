#include "update/UpdateServices.h"

#include <cstdlib>

std::string UpdateHost() {
    const char *host = std::getenv("LUMORA_UPDATE_HOST");
    return host && *host ? std::string(host) : std::string(LUMORA_DEFAULT_UPDATE_HOST);
}
