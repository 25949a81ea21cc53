#pragma once

#include <curl/curl.h>

// Whether a failed HTTP exchange may pass when tried again: the network or the server was not
// ready (a name that did not resolve, a refused or reset connection, a time-out, an answer cut
// off, HTTP 5xx or 429). Anything else (404, an answer that is no picture or no list) fails
// again the same way.
bool MayPassLater(CURLcode result, long httpStatus);
