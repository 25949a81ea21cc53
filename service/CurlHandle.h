#pragma once

#include <curl/curl.h>

#include <memory>

struct CurlHandleCleanup {
    void operator()(CURL *handle) const { curl_easy_cleanup(handle); }
};

// One libcurl easy handle, released with its owner. Never shared between threads.
using CurlHandle = std::unique_ptr<CURL, CurlHandleCleanup>;

inline CurlHandle MakeCurlHandle() { return CurlHandle(curl_easy_init()); }
