#pragma once

#include <curl/curl.h>

#include <string>

// Whether a failed HTTP exchange may pass when tried again: the network or the server was not
// ready (a name that did not resolve, a refused or reset connection, a time-out, an answer cut
// off, HTTP 5xx or 429). Anything else (404, an answer that is no picture or no list) fails
// again the same way.
bool MayPassLater(CURLcode result, long httpStatus);

// Why an HTTP exchange failed, in Chinese, for a message to the user: "连接被拒绝",
// "服务器返回HTTP 503" and the like.
std::string FailureReason(CURLcode result, long httpStatus);
